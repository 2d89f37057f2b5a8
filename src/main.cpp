#include "app/StartUp.h"
#include "records/widgets/Abort.h"
#include "records/widgets/GuardedApplication.h"

int main(int argc, char *argv[])
{
    GuardedApplication app(argc, argv);
    try {
        return StartUp::run(app);
    } catch (...) {
        const QString text = Guard::currentText();
        if (!text.isEmpty())
            StartUp::reportFatal(text);
        return 1;
    }
}

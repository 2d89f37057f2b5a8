#include "engine/DbError.h"
#include "records/main/StartUp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    try {
        return StartUp::run(app);
    } catch (const DbError &e) {
        StartUp::reportFatal(e.message());
        return 1;
    }
}

#pragma once
#include <QDialog>

class QTimer;

// The splash window. Its five seconds run from its creation at start-up,
// so it closes at once when it is shown after a start that took longer.
class Tformwel : public QDialog
{
    Q_OBJECT
public:
    explicit Tformwel(QWidget *parent = nullptr);

    // Shows the splash modally until its time is up.
    void showSplash();
    bool timeIsUp() const { return m_timeIsUp; }

    QTimer *Timer1 = nullptr;

    // The picture, drawn once.
    static QPixmap picture();

public slots:
    void Timer1Timer();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_timeIsUp = false;
};

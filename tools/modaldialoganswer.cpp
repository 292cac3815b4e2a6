#include "tools/modaldialoganswer.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

void answerNextModalDialog(const std::function<void(QWidget*)>& answer)
{
    QTimer::singleShot(10, qApp, [answer] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || !dialog->isVisible()) {
            answerNextModalDialog(answer);
            return;
        }
        answer(dialog);
    });
}

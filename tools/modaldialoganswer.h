#pragma once

#include <functional>

class QWidget;

// Answers the next modal dialog: the command that opens it blocks in exec(),
// so the answer runs from the event loop of that exec() as soon as the dialog
// is the active modal widget.
void answerNextModalDialog(const std::function<void(QWidget*)>& answer);

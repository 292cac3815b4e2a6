#pragma once

#include <QStatusBar>

// A status bar whose messages never run into its permanent widgets (the
// world's summary, the progress of background work): a message too long for
// the room left is cut with "…", and shows whole in the bar's tooltip.
class ElidingStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit ElidingStatusBar(QWidget* parent = nullptr);

    // The part of the message that fits, as painted.
    QString shownMessage() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where a message goes: from the left edge to the first permanent widget.
    QRect messageRect() const;
};

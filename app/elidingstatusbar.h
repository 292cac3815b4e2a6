#pragma once

#include <QLabel>
#include <QStatusBar>

// A one-line label that gives way when room is short: it asks for its whole
// text's width, shrinks to a few letters if need be, and cuts its text with
// "…" to the width it got; the whole text is its tooltip.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

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
    // A permanent label takes at most half the bar: the other half is the
    // messages'.
    void resizeEvent(QResizeEvent* event) override;

private:
    // Where a message goes: from the left edge to the first permanent widget.
    QRect messageRect() const;
};

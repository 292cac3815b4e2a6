#include "app/elidingstatusbar.h"

#include <QPainter>
#include <QStyleOption>

namespace {

// The room QStatusBar leaves around its items and its message.
constexpr int ItemMargin = 2;
constexpr int MessageIndent = 4;
// Enough room for a few letters and the "…".
constexpr int ShortestLetters = 8;

} // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {}

void ElidedLabel::setFullText(const QString& text)
{
    setText(text);
    setToolTip(text);
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * ShortestLetters, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect room = contentsRect();
    painter.drawText(room, int(alignment()) | Qt::TextSingleLine,
                     fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
}

ElidingStatusBar::ElidingStatusBar(QWidget* parent) : QStatusBar(parent)
{
    connect(this, &QStatusBar::messageChanged, this,
            [this](const QString& message) { setToolTip(message); });
}

QRect ElidingStatusBar::messageRect() const
{
    int right = width() - ItemMargin;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        // While a message shows, only permanent widgets stay visible.
        if (child->isVisible() && child->geometry().left() > 0) {
            right = std::min(right, child->geometry().left() - ItemMargin);
        }
    }
    return QRect(MessageIndent, 0, std::max(0, right - MessageIndent), height());
}

QString ElidingStatusBar::shownMessage() const
{
    const QString message = currentMessage();
    return fontMetrics().elidedText(message, Qt::ElideRight, messageRect().width());
}

void ElidingStatusBar::resizeEvent(QResizeEvent* event)
{
    for (ElidedLabel* label : findChildren<ElidedLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        label->setMaximumWidth(std::max(label->minimumSizeHint().width(), width() / 2));
    }
    QStatusBar::resizeEvent(event);
}

void ElidingStatusBar::paintEvent(QPaintEvent* event)
{
    if (currentMessage().isEmpty()) {
        QStatusBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible()) {
            QStyleOption frame;
            frame.rect = child->geometry().adjusted(-ItemMargin, -1, ItemMargin, 1);
            frame.palette = palette();
            frame.state = QStyle::State_None;
            style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, child);
        }
    }
    painter.setPen(palette().windowText().color());
    painter.drawText(messageRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                     shownMessage());
}

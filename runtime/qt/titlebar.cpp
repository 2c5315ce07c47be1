#include "titlebar.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWindow>

#include <algorithm>

namespace rtqt {
namespace {

// Shades between two palette colours, so that they follow light and dark themes alike.
QColor mix(const QColor& from, const QColor& to, qreal amount)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * amount,
                            from.greenF() + (to.greenF() - from.greenF()) * amount,
                            from.blueF() + (to.blueF() - from.blueF()) * amount);
}

// The title, cut with an ellipsis where the bar is too narrow for it.
class TitleText : public QLabel {
public:
    TitleText(const QString& title, QWidget* parent) : QLabel(title, parent)
    {
        setTextFormat(Qt::PlainText);
        QFont bold = font();
        bold.setBold(true);
        setFont(bold);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        style()->drawItemText(
            &painter, area, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
            fontMetrics().elidedText(text(), Qt::ElideRight, area.width()), foregroundRole());
    }
};

// A round button with a line-drawn glyph in the text colour: sharp at any scale.
class TitleButton : public QAbstractButton {
public:
    enum class Glyph { Minimise, Close };

    TitleButton(Glyph glyph, const QString& name, QWidget* parent)
        : QAbstractButton(parent), glyph_(glyph)
    {
        setObjectName(name);
        setAccessibleName(name);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor ink = palette().color(QPalette::WindowText);
        const int line = fontMetrics().height();
        const QPointF centre = QRectF(rect()).center();
        if (isDown() || underMouse()) {
            const qreal radius = line * 0.72;
            painter.setPen(Qt::NoPen);
            painter.setBrush(mix(palette().color(QPalette::Window), ink, isDown() ? 0.28 : 0.14));
            painter.drawEllipse(centre, radius, radius);
        }
        // Whole logical pixels, so that the strokes land on the pixel grid.
        const int half = std::max(3, (line + 2) / 4);
        const int stroke = std::max(1, line / 14);
        const QPoint c(width() / 2, height() / 2);
        if (glyph_ == Glyph::Minimise) {
            painter.fillRect(QRect(c.x() - half, c.y() + half - stroke, 2 * half, stroke), ink);
        } else {
            painter.setPen(QPen(ink, stroke * 1.2, Qt::SolidLine, Qt::FlatCap));
            const QRectF box(c.x() - half, c.y() - half, 2 * half, 2 * half);
            painter.drawLine(box.topLeft(), box.bottomRight());
            painter.drawLine(box.bottomLeft(), box.topRight());
        }
    }

private:
    Glyph glyph_;
};

} // namespace

TitleBar::TitleBar(const QString& title, const QIcon& icon, QWidget* window)
    : QWidget(window), icon_(new QLabel(this)), title_(new TitleText(title, this)),
      minimise_(new TitleButton(TitleButton::Glyph::Minimise, QStringLiteral("Minimise"), this)),
      close_(new TitleButton(TitleButton::Glyph::Close, QStringLiteral("Close"), this))
{
    setObjectName(QStringLiteral("titleBar"));
    setAccessibleName(title);
    setFocusPolicy(Qt::NoFocus);
    icon_->setObjectName(QStringLiteral("icon"));
    icon_->setPixmap(icon.pixmap(QSize(iconSide(), iconSide()), devicePixelRatioF()));
    title_->setObjectName(QStringLiteral("title"));
    connect(minimise_, &QAbstractButton::clicked, this,
            [this] { this->window()->showMinimized(); });
    connect(close_, &QAbstractButton::clicked, this, [this] { this->window()->close(); });
}

// A line of the font with half a line above and below it.
QSize TitleBar::sizeHint() const
{
    const int line = fontMetrics().height();
    return {0, std::max(line, iconSide()) + 2 * (line / 2)};
}

// Sixteen pixels, or a multiple for large fonts, as desktops size icons:
// the program's 32-pixel picture scales cleanly to these.
int TitleBar::iconSide() const { return 16 * std::max(1, fontMetrics().height() / 16); }

bool TitleBar::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        update();
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            if (QWindow* handle = window()->windowHandle())
                handle->startSystemMove();
        return true;
    case QEvent::MouseButtonDblClick: // nothing to maximise, and a second press is no new move
        return true;
    default:
        break;
    }
    return QWidget::event(event);
}

// The active window's bar a shade toward the text colour, and a rule below it.
void TitleBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor back = palette().color(QPalette::Window);
    const QColor ink = palette().color(QPalette::WindowText);
    painter.fillRect(rect(), isActiveWindow() ? mix(back, ink, 0.07) : back);
    painter.fillRect(QRect(0, height() - 1, width(), 1), mix(back, ink, 0.22));
}

void TitleBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int h = height() - 1; // above the rule
    const int line = fontMetrics().height();
    const int margin = line / 2;
    const int side = iconSide();
    const int button = line + margin; // room for the round highlight
    close_->setGeometry(width() - margin / 2 - button, 0, button, h);
    minimise_->setGeometry(close_->x() - button, 0, button, h);
    icon_->setGeometry(margin, (h - side) / 2, side, side);
    const int left = icon_->geometry().right() + 1 + margin;
    title_->setGeometry(left, 0, std::max(0, minimise_->x() - left), h);
}

QAccessibleInterface* titleBarAccessible(const QString&, QObject* object)
{
    if (auto* bar = dynamic_cast<TitleBar*>(object))
        return new QAccessibleWidget(bar, QAccessible::TitleBar);
    return nullptr;
}

} // namespace rtqt

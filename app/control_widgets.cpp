#include "app/control_widgets.h"

#include <QKeyEvent>
#include <QPainter>

#include <QMouseEvent>
#include <QPainter>

namespace lurendo {

FilledBox::FilledBox(const QColor& fill, const QColor& border, QWidget* parent)
    : QWidget(parent), fill_(fill), border_(border) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FilledBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), fill_);
    painter.setPen(border_);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

RuleLine::RuleLine(const QColor& colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RuleLine::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), colour_);
}

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::ArrowCursor);  // looks like a link only by its face and colour
    setFocusPolicy(Qt::TabFocus);
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The keyboard's place: a dotted frame around the text, as buttons show it.
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    const QRect text =
        fontMetrics().boundingRect(contentsRect(), int(alignment()) | Qt::TextWordWrap, this->text());
    p.drawRect(text.adjusted(0, 0, -1, -1).intersected(rect().adjusted(0, 0, -1, -1)));
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release both inside the label, as for a button.
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

}  // namespace lurendo

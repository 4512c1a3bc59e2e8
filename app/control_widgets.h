// The small controls a plain widget set lacks: a bordered filled box, a one-pixel rule, a clickable label.
#pragma once

#include <QColor>
#include <QLabel>
#include <QWidget>

namespace lurendo {

// An opaque rectangle with a one-pixel border, drawn behind the results grid.
class FilledBox : public QWidget {
    Q_OBJECT
  public:
    FilledBox(const QColor& fill, const QColor& border, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor fill_;
    QColor border_;
};

// A solid line one pixel wide: the whole widget is the line.
class RuleLine : public QWidget {
    Q_OBJECT
  public:
    RuleLine(const QColor& colour, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_;
};

// A label that reports a click anywhere in its rectangle, also beside the end of its text, and that the
// keyboard reaches with Tab and "clicks" with Enter or Space.
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    ClickableLabel(const QString& text, QWidget* parent);

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool pressed_ = false;
};

}  // namespace lurendo

#pragma once

#include <QPushButton>
#include <QToolButton>
#include <QWidget>
#include <cstdint>

namespace vaultor::ui {

// A gauge drawn as a pie: the share of progress between minimum and maximum
// in the fore colour, the rest in the back colour, optionally "%d%%" on top.
class PieGauge : public QWidget {
    Q_OBJECT
  public:
    explicit PieGauge(QWidget* parent = nullptr);
    void SetRange(std::int64_t minimum, std::int64_t maximum);
    void SetProgress(std::int64_t progress);
    void SetColours(const QColor& fore, const QColor& back);
    void SetShowText(bool show);
    // The share of the pie in the fore colour, 0..1.
    double ForeShare() const;
    int Percent() const;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::int64_t minimum_ = 0, maximum_ = 100, progress_ = 0;
    QColor fore_ = Qt::red, back_ = Qt::green;
    bool show_text_ = false;
};

// A push button whose face colour can be set.
class ColourButton : public QPushButton {
    Q_OBJECT
  public:
    using QPushButton::QPushButton;
    void SetFaceColour(const QColor& colour);
};

// A flat tool button with a glyph from the icon theme and a raised look
// while the mouse is over it.
class FlatButton : public QToolButton {
    Q_OBJECT
  public:
    FlatButton(const QString& glyph, QWidget* parent);
};

// A glyph of the desktop's icon theme, with the program's own drawing when
// the theme has none.
QIcon Glyph(const QString& name);

}  // namespace vaultor::ui

// Registers the built-in glyphs; called once at start.
void InitGlyphResources();

namespace vaultor::ui {}  // namespace vaultor::ui

#pragma once

#include <QLabel>

namespace larkspan {

// A label for texts such as paths that may be wider than the label: each
// line is shortened in the middle ("/home/me/…/access.log"), so both the
// start and the file name stay readable. The whole text is its tool tip.
class MiddleElidedLabel : public QLabel {
    Q_OBJECT
  public:
    explicit MiddleElidedLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void elide();

    QString full_;
};

} // namespace larkspan

#pragma once

#include <QDialog>

namespace larkspan {

// The About box: product name, release and a Close button. Created once at
// start and shown modally as often as asked.
class AboutBox : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kRelease = "Release 1.1.0.4";
    explicit AboutBox(QWidget* parent = nullptr);
};

} // namespace larkspan

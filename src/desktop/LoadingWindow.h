#pragma once

#include <QWidget>

namespace larkspan {

// The loading window: borderless, centred, an hourglass over its whole
// area and one sunken panel saying "Loading...please wait".
class LoadingWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kText = "Loading...please wait";

    explicit LoadingWindow(QWidget* parent = nullptr);
    // Shows the window and lets it paint once.
    void showAndPaint();
};

} // namespace larkspan

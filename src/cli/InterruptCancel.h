#pragma once

#include "platform/EventPump.h"

namespace larkspan {

class CancelRequest;

// Ctrl-C (SIGINT) and SIGTERM as the Cancel button of long work: while an
// object lives, the first signal only sets a flag, which the pump turns into
// a cancel request between steps, so the work ends the way a Cancel click
// ends it. A second signal ends the program at once. The previous handlers
// come back when the object goes.
class InterruptCancel : public EventPump {
  public:
    InterruptCancel(EventPump& inner, CancelRequest& cancel);
    ~InterruptCancel() override;
    InterruptCancel(const InterruptCancel&) = delete;
    InterruptCancel& operator=(const InterruptCancel&) = delete;

    void processEvents() override;

  private:
    EventPump& inner_;
    CancelRequest& cancel_;
};

} // namespace larkspan

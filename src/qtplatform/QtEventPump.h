#pragma once

#include "platform/EventPump.h"

namespace larkspan {

// Processes pending window events so long work keeps the windows painted
// and a Cancel click reaches its handler.
class QtEventPump : public EventPump {
public:
    void processEvents() override;
};

}  // namespace larkspan

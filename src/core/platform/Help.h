#pragma once

namespace larkspan {

// Opens the help at a numbered topic.
class Help {
public:
    virtual ~Help() = default;
    virtual bool showTopic(int topic) = 0;
};

}  // namespace larkspan

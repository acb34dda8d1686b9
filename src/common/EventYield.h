#pragma once
// One pass of the Qt event loop, which a command lets through in its middle so that the
// picture and the other windows keep up; tests give a stand-in.

#include <functional>

namespace kadrel {

class EventYield {
public:
    using StandIn = std::function<void()>;

    EventYield(StandIn standIn = {}) : m_standIn(std::move(standIn)) {}
    void operator()() const;

private:
    StandIn m_standIn;
};

}  // namespace kadrel

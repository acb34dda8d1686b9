#include "common/EventYield.h"

#include <QCoreApplication>

namespace kadrel {

void EventYield::operator()() const
{
    if (m_standIn)
        m_standIn();
    else
        QCoreApplication::processEvents();
}

}  // namespace kadrel

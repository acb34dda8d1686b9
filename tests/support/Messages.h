#pragma once
// The message boxes shown since the last look, each as "title|icon|text".

#include "support/FakePlatform.h"

#include <QStringList>

#include <utility>

namespace kadrel::test {

inline QStringList takeMessages(RecordingMessageBox& box)
{
    static const char* const icons[] = {"", "Information", "Exclamation", "Critical", "Question"};
    QStringList shown;
    for (const RecordedMessage& m : std::exchange(box.messages, {}))
        shown << m.title + u'|' + QLatin1String(icons[int(m.icon)]) + u'|' + m.text;
    return shown;
}

}  // namespace kadrel::test

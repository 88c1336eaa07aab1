// SPDX-License-Identifier: MIT
// The exchange file from its bytes to the record each selection dialog writes
// on Select. Every element the list gives is taken as the chosen record of
// all five dialogs in turn; the printed record must parse back and hold the
// dialog's keys, in its order, with the values the record holds.
#include "ExchangeFile.h"
#include "FuzzSupport.h"
#include "SelectNodeController.h"
#include "SelectNodeGroupController.h"
#include "SelectSessionController.h"
#include "SelectSharedController.h"
#include "SelectSuspendController.h"
#include "SelectionController.h"

#include <cjson/cJSON.h>

#include <cstring>
#include <vector>

namespace {
struct Member {
    const char *key;
    bool isText;
    zan::Text text;    // for a text member; unset: the member must be absent
    qint64 number = 0; // for a whole-number member
};

Member text(const char *key, const zan::Text &value)
{
    return {key, true, value, 0};
}

Member number(const char *key, qint64 value)
{
    return {key, false, {}, value};
}

void checkRecord(const QByteArray &printed, const std::vector<Member> &members)
{
    ZAN_FUZZ_CHECK(printed.startsWith("{"));
    ZAN_FUZZ_CHECK(printed.endsWith("}"));
    const zan::JsonPtr parsed(cJSON_ParseWithLength(printed.constData(), size_t(printed.size())));
    ZAN_FUZZ_CHECK(parsed && cJSON_IsObject(parsed.get()));
    const cJSON *child = parsed->child;
    for (const Member &member : members) {
        if (member.isText && !member.text)
            continue;
        ZAN_FUZZ_CHECK(child != nullptr);
        ZAN_FUZZ_CHECK(child->string && std::strcmp(child->string, member.key) == 0);
        if (member.isText) {
            ZAN_FUZZ_CHECK(cJSON_IsString(child));
            ZAN_FUZZ_CHECK(QString::fromUtf8(child->valuestring) == *member.text);
        } else {
            ZAN_FUZZ_CHECK(cJSON_IsNumber(child));
            ZAN_FUZZ_CHECK(child->valuedouble == double(member.number));
        }
        child = child->next;
    }
    ZAN_FUZZ_CHECK(child == nullptr);
}

void checkNodeGroup(const cJSON *element)
{
    const auto group = zan::NodeGroupInfo::fromListElement(element);
    ZAN_FUZZ_CHECK(group.has_value());
    checkRecord(group->chosenRecord(), {text("id", group->ID), text("name", group->GroupName),
                                        number("memberCount", group->memberCount)});
}

void checkNode(const cJSON *element)
{
    const auto node = zan::NodeInfo::fromListElement(element);
    ZAN_FUZZ_CHECK(node.has_value());
    checkRecord(node->chosenRecord(),
                {text("id", node->ID), text("hostname", node->address), number("port", node->port),
                 text("Platform", node->os), number("total", node->sessions),
                 number("mem", node->percentMemory), number("cpu", node->percentCPU),
                 text("friendlyName", node->friendlyName)});
}

void checkSession(const zan::SelectSessionInfo &session)
{
    const bool isNew = session.node && session.node->compare(QLatin1String("New session"),
                                                             Qt::CaseInsensitive) == 0;
    const zan::Text id =
        isNew ? zan::Text(QString::fromLatin1(zan::newSessionIdentifier)) : session.ID;
    checkRecord(session.chosenRecord(),
                {text("id", id), text("node", session.node), number("status", session.status),
                 number("display", session.display), number("sharingState", session.sharingState)});
}

void checkShared(const cJSON *element)
{
    const auto shared = zan::SharedSessionInfo::fromListElement(element);
    if (!shared) // not shared: no row, nothing to choose
        return;
    ZAN_FUZZ_CHECK(shared->sharingState != 0);
    checkRecord(shared->chosenRecord(),
                {text("id", shared->ID), text("userName", shared->userName),
                 text("node", shared->node), number("status", shared->status),
                 number("display", shared->display), number("sharingState", shared->sharingState)});
}

void checkSuspend(const cJSON *element)
{
    const auto suspended = zan::SuspendSessionInfo::fromListElement(element);
    ZAN_FUZZ_CHECK(suspended.has_value());
    checkRecord(suspended->chosenRecord(),
                {text("id", suspended->ID), text("profileName", suspended->profileName),
                 text("started", suspended->started), text("node", suspended->node),
                 text("suspendDescription", suspended->suspendDescription),
                 number("status", suspended->status), number("display", suspended->display),
                 number("sharingState", suspended->sharingState)});
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    zanfuzz::quietProcess();
    // The row that heads every session list.
    checkSession(zan::SelectSessionInfo::newSessionEntry());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The reader's own parse, on a buffer exactly as long as the file, so an
    // over-read past its end shows.
    zan::JsonList list;
    if (!list.parse(reinterpret_cast<const char *>(data), size))
        return 0;
    int children = 0;
    zan::forEachChild(list.root(), [&children](const cJSON *element) {
        ++children;
        checkNodeGroup(element);
        checkNode(element);
        if (const auto session = zan::SelectSessionInfo::fromListElement(element))
            checkSession(*session);
        else
            zanfuzz::fail("a session element gave no row");
        checkShared(element);
        checkSuspend(element);
    });
    ZAN_FUZZ_CHECK(children == zan::childCount(list.root()));
    return 0;
}

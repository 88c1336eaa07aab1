// SPDX-License-Identifier: MIT
// The reader of the bundle's Info.plist.
#include "FuzzSupport.h"
#include "InfoPlist.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    zanfuzz::quietProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const zan::PlistResult result = zan::parsePropertyList(zanfuzz::bytes(data, size));
    if (!result.dict) {
        ZAN_FUZZ_CHECK(!result.error.isEmpty());
        return 0;
    }
    // The keys the launcher reads.
    (void)zan::isBooleanTrue(result.dict->value(QStringLiteral("LogConsole")));
    const std::optional<QString> version =
        zan::stringValue(*result.dict, QStringLiteral("CFBundleShortVersionString"));
    if (version)
        ZAN_FUZZ_CHECK(result.dict->value(QStringLiteral("CFBundleShortVersionString")).typeId() ==
                       QMetaType::QString);
    (void)zan::stringValue(*result.dict, QStringLiteral("CFBundleVersion"));
    return 0;
}

// SPDX-License-Identifier: MIT
// The rich-text reader that shows the licence agreement.
#include "FuzzSupport.h"
#include "RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    zanfuzz::quietProcess();
    // Text documents need fonts, and fonts need an application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The reader refuses files over 16 MiB; the fuzzer stays far below.
    QTextDocument document;
    const zan::RtfResult result = zan::readRtf(zanfuzz::bytes(data, size), document);
    if (!result.ok) {
        ZAN_FUZZ_CHECK(!result.error.isEmpty());
        ZAN_FUZZ_CHECK(document.isEmpty());
    }
    return 0;
}

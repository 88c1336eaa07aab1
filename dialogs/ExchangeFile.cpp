// SPDX-License-Identifier: MIT
#include "ExchangeFile.h"

#include "Files.h"
#include "LargeMemory.h"
#include "SystemLog.h"

#include <QStringDecoder>

#include <cjson/cJSON.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <vector>

namespace zan {

void JsonDeleter::operator()(cJSON *item) const
{
    cJSON_Delete(item);
}

// cJSON allocates every node, key and string on its own. While one list is
// parsed, its hooks point at this bump allocator; the tree is then dropped by
// releasing the blocks, never walked. Freeing single nodes is a no-op, which is
// all cJSON needs while parsing (it frees only on failure, and then the whole
// arena goes). Blocks grow geometrically, so a short list costs a few pages
// and a long one a few dozen blocks of large memory.
struct JsonList::Arena {
    static constexpr size_t firstBlock = size_t(64) << 10;
    static constexpr size_t largestBlock = size_t(64) << 20;
    static constexpr size_t hugePage = size_t(2) << 20;
    struct Block {
        void *base;
        size_t size;
    };
    std::vector<Block> blocks;
    char *cursor = nullptr;
    size_t left = 0;
    size_t nextBlock = firstBlock;
    bool exhausted = false; // a block could not be had

    ~Arena()
    {
        for (const Block &block : blocks)
            releaseLarge(block.base, block.size);
    }

    bool grow(size_t atLeast)
    {
        size_t size = std::max(nextBlock, atLeast);
        size = (size + hugePage - 1) & ~(hugePage - 1);
        if (nextBlock < hugePage)
            size = std::max(nextBlock, (atLeast + 4095) & ~size_t(4095));
        void *base = allocateLarge(size);
        if (!base) {
            exhausted = true;
            return false;
        }
        try {
            blocks.push_back({base, size});
        } catch (const std::bad_alloc &) {
            releaseLarge(base, size);
            exhausted = true;
            return false;
        }
        cursor = static_cast<char *>(base);
        left = size;
        nextBlock = std::min(nextBlock * 2, largestBlock);
        return true;
    }

    void *allocate(size_t size)
    {
        size = (size + 15) & ~size_t(15);
        if (size > left && !grow(size))
            return nullptr;
        void *result = cursor;
        cursor += size;
        left -= size;
        return result;
    }

    static thread_local Arena *current;
    static void *hookMalloc(size_t size) { return current->allocate(size); }
    static void hookFree(void *) {}
};

thread_local JsonList::Arena *JsonList::Arena::current = nullptr;

JsonList::JsonList() = default;
JsonList::~JsonList() = default;
JsonList::JsonList(JsonList &&) noexcept = default;
JsonList &JsonList::operator=(JsonList &&) noexcept = default;

namespace {
// cJSON reads numbers with strtod, which takes the decimal point of the C
// library's locale; QApplication sets that locale from the environment. In a
// locale whose decimal point is not ".", let alone not one byte (Pashto's is
// U+066B), 12.5 would end at the "." and the whole list would fail to parse.
// The parse runs in the "C" numeric locale of this thread alone.
class CNumericLocale {
public:
    CNumericLocale()
    {
        static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        if (c)
            m_previous = ::uselocale(c);
    }
    ~CNumericLocale()
    {
        if (m_previous)
            ::uselocale(m_previous);
    }
    CNumericLocale(const CNumericLocale &) = delete;
    CNumericLocale &operator=(const CNumericLocale &) = delete;

private:
    locale_t m_previous = nullptr;
};
} // namespace

bool JsonList::parse(const char *text, size_t length)
{
    m_root = nullptr;
    m_outOfMemory = false;
    try {
        m_arena = std::make_unique<Arena>();
    } catch (const std::bad_alloc &) {
        m_outOfMemory = true;
        return false;
    }
    const CNumericLocale numbers;
    Arena::current = m_arena.get();
    cJSON_Hooks hooks{&Arena::hookMalloc, &Arena::hookFree};
    cJSON_InitHooks(&hooks);
    m_root = cJSON_ParseWithLength(text, length);
    cJSON_InitHooks(nullptr);
    Arena::current = nullptr;
    if (!m_root) {
        m_outOfMemory = m_arena->exhausted;
        m_arena.reset();
    }
    return m_root != nullptr;
}

std::optional<JsonList> readExchangeList(const QByteArray &path)
{
    std::optional<JsonList> list;
    {
        LargeBuffer file;
        QString error;
        if (!readWholeFile(path, file, &error)) {
            logEntry(error);
            return std::nullopt;
        }
        list.emplace();
        if (!list->parse(file.data(), file.size())) {
            // A text that is not JSON is no news; a list that did not fit is.
            if (list->outOfMemory())
                logEntry(QStringLiteral("%1: not enough memory to read the list")
                             .arg(displayPath(path)));
            list.reset();
        }
        // The text goes here: cJSON copied every key and string it needs.
    }
    return list;
}

namespace fields {
namespace {
const cJSON *member(const cJSON *element, const char *key)
{
    return element ? cJSON_GetObjectItem(element, key) : nullptr;
}

Text decodeUtf8(const char *bytes)
{
    const size_t length = std::strlen(bytes);
    bool ascii = true;
    for (size_t i = 0; i < length && ascii; ++i)
        ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes, qsizetype(length));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes, qsizetype(length)));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
} // namespace

Text text(const cJSON *element, const char *key)
{
    const cJSON *item = member(element, key);
    if (!cJSON_IsString(item) || !item->valuestring)
        return QString();
    return decodeUtf8(item->valuestring);
}

qint32 wholeNumber(const cJSON *element, const char *key, qint32 current)
{
    const cJSON *item = member(element, key);
    if (!item)
        return current;
    // cJSON sets valueint for numbers (clamped) and for true; for every other
    // kind it stays 0.
    if (cJSON_IsNumber(item) || cJSON_IsTrue(item))
        return item->valueint;
    return 0;
}

Text host(const cJSON *element)
{
    const cJSON *node = member(element, "node");
    if (!node)
        return QString();
    if (cJSON_IsString(node))
        return text(element, "node");
    const cJSON *hostname = cJSON_GetObjectItem(node, "hostname");
    if (cJSON_IsString(hostname))
        return text(node, "hostname");
    return std::nullopt;
}
} // namespace fields

RecordWriter::RecordWriter() : m_object(cJSON_CreateObject()) {}

RecordWriter &RecordWriter::text(const char *key, const Text &value)
{
    if (value && m_object)
        cJSON_AddStringToObject(m_object.get(), key, value->toUtf8().constData());
    return *this;
}

RecordWriter &RecordWriter::number(const char *key, qint64 value)
{
    if (m_object)
        cJSON_AddNumberToObject(m_object.get(), key, double(value));
    return *this;
}

QByteArray RecordWriter::print() const
{
    if (!m_object)
        return {};
    char *printed = cJSON_Print(m_object.get());
    if (!printed)
        return {};
    QByteArray bytes(printed);
    cJSON_free(printed);
    return bytes;
}

} // namespace zan

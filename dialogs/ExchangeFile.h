// SPDX-License-Identifier: MIT
// The exchange file of the selection dialogs: a JSON list in, one chosen record
// out. The record's bytes are cJSON's printed form, which zanlauncher reads back.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

struct cJSON;

namespace zan {

// A text field of a record. Unset (no text) differs from empty: an unset field
// is left out of the written record, an empty one is written as "".
using Text = std::optional<QString>;

struct JsonDeleter {
    void operator()(cJSON *item) const;
};
using JsonPtr = std::unique_ptr<cJSON, JsonDeleter>;

// A parsed list. Its nodes live in an arena that is released as a whole, so a
// list of a million records is freed in a few calls instead of ten million.
class JsonList {
public:
    JsonList();
    ~JsonList();
    JsonList(JsonList &&) noexcept;
    JsonList &operator=(JsonList &&) noexcept;

    // Parses the text; false when it is not JSON (an empty text included) or
    // its tree found no memory. Numbers are read with "." as the decimal
    // point whatever the process's locale, as JSON writes them.
    bool parse(const char *text, size_t length);
    const cJSON *root() const { return m_root; }
    // Whether the last parse failed for want of memory rather than for the text.
    bool outOfMemory() const { return m_outOfMemory; }

private:
    struct Arena;
    std::unique_ptr<Arena> m_arena;
    cJSON *m_root = nullptr;
    bool m_outOfMemory = false;
};

// Reads and parses the list at path. A file that cannot be read, or that no
// memory can be had for, is logged with the reason; a text that is not JSON is
// not. Unset when any of these fails.
std::optional<JsonList> readExchangeList(const QByteArray &path);

// Field rules. Keys match the first member whose name is equal without regard
// to ASCII case.
namespace fields {
// A member holding a string gives its text; a string that is not valid UTF-8
// gives no text; a missing member or any other kind of value gives "".
Text text(const cJSON *element, const char *key);
// cJSON's integer view of the member: a number truncated toward zero and
// clamped to 32 bits, 1 for true, 0 for anything else. A missing member leaves
// the current value.
qint32 wholeNumber(const cJSON *element, const char *key, qint32 current = 0);
// The host of a session: a string "node" gives its text; a "node" of another
// kind gives the string of its own "hostname" member, or no text; a missing
// "node" gives "".
Text host(const cJSON *element);
} // namespace fields

// Builds the chosen record, member by member, in the order written.
class RecordWriter {
public:
    RecordWriter();
    // An unset text adds nothing.
    RecordWriter &text(const char *key, const Text &value);
    RecordWriter &number(const char *key, qint64 value);
    // cJSON's formatted print: a tab before each member, a tab after each
    // colon, and no line break after the closing brace.
    QByteArray print() const;

private:
    JsonPtr m_object;
};

} // namespace zan

// A new file's text between the comparison and the commit. The run's new files together
// can take more memory than the model, and the add-in has written each of them into the
// run's scratch folder already: there the text waits, and only its size and hash stay in
// memory. The commit reads it back, and a scratch file that no longer holds that text
// reads as nothing, so the commit fails (and rolls back) rather than writing other bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace VexloCli {

class HeldText {
public:
    HeldText() = default;
    // Held in memory (a text that has no scratch file of its own).
    HeldText(std::string text);
    HeldText(const char* text) : HeldText(std::string(text)) {}

    // Held in `file`: `sameAsFile` says the file holds these bytes already; otherwise
    // they are written there first. Where the file cannot be written the text stays in
    // memory, so nothing is lost.
    static HeldText InFile(const std::wstring& file, const std::string& text, bool sameAsFile);

    size_t Size() const { return m_size; }
    bool InMemory() const { return m_file.empty(); }
    // The text; nothing when its file cannot be read or no longer holds it (the system's
    // error is then set: ERROR_INVALID_DATA for other bytes).
    std::optional<std::string> Read() const;

private:
    std::string m_text;
    std::wstring m_file;
    size_t m_size = 0;
    uint64_t m_hash = 0;
};

} // namespace VexloCli

#pragma once
// The language string tables: every user-visible text, looked up by its
// identifier in one process-wide table filled from the skin's language files
// ("xmls/lang/strings_<locale>.xml"). English is loaded first and the chosen
// language over it, so identifiers a language lacks keep their English text.
//
// UI thread only.

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>

// Identifier -> text (both UTF-8).
class StringTable
{
public:
    // Sets or inserts one entry; a later text for the same identifier wins.
    void Set(const std::string& id, const std::string& text) { m_texts[id] = text; }
    // The text, or "" when the identifier is absent.
    std::string Get(const std::string& id) const;
    void Clear() { m_texts.clear(); }
    size_t Size() const { return m_texts.size(); }

private:
    std::unordered_map<std::string, std::string> m_texts;
};

// What the string table needs from the rest of the program, set by the main
// window at start-up.
struct StringTableHooks
{
    // Reads a file of the skin (a path like "xmls/lang/strings_en_US.xml")
    // into data; false when it is not there. Unset: read the path from disk.
    std::function<bool(const std::string& skinPath, std::string& data)> readSkinFile;
    // Called after a language change: the toolkit reloads every control text
    // that names an identifier and the main window repaints.
    std::function<void()> reloadText;
};

// Language files by language index 0 to 3 (English, Chinese, Korean, Indonesian).
constexpr int kLanguageCount = 4;
extern const char* const kLanguageFiles[kLanguageCount];

StringTable& TheStringTable();
void SetStringTableHooks(StringTableHooks hooks);

// Adds the entries of a language file: elements named "String" (any case)
// without child elements, with attributes "id" and "text" (any case); other
// elements are walked into at any depth. A file that cannot be read or
// parsed changes nothing and gives false.
bool LoadStringFile(const std::string& skinPath);
// The same for file content in memory.
bool LoadStringData(const char* data, size_t size);
void ClearStringTable();
// The text of the identifier, "" when unknown; never fails.
std::string GetLangText(const std::string& id);
// For an index 0 to 3: stores it in the configuration (CFG_LANGUAGE),
// reloads the table (English, then the chosen file) and calls the reload
// hook. Any other index does nothing.
void SetLanguage(int index);

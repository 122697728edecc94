#pragma once
// The language string tables: every user-visible text, looked up by its
// identifier in one process-wide table filled from the skin's language files
// ("xmls\lang\strings_<locale>.xml", read through the toolkit's skin
// resources). English is loaded first and the chosen language over it, so
// identifiers a language lacks keep their English text.
//
// UI thread only.

#include "platform/duilib/CStdStringPtrMap.h"

#include <cstddef>
#include <functional>
#include <string>

// Identifier -> text (both UTF-8). Owns the text objects the map points to.
class StringTable
{
public:
    StringTable() = default;
    ~StringTable() { Clear(); }
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    // Sets or inserts one entry; a later text for the same identifier wins.
    void Set(const std::string& id, const std::string& text);
    // The text, or "" when the identifier is absent.
    std::string Get(const std::string& id) const;
    void Clear();
    int Size() const { return m_texts.GetSize(); }

private:
    DuiLib::CStdStringPtrMap m_texts;  // values are owned std::string objects
};

// Language files by language index 0 to 3 (English, Chinese, Korean, Indonesian).
constexpr int kLanguageCount = 4;
extern const char* const kLanguageFiles[kLanguageCount];

StringTable& TheStringTable();

// Called by SetLanguage after the toolkit has reloaded its texts: the main
// window invalidates itself and asks its paint manager for an update.
void SetLanguageChangedHook(std::function<void()> hook);

// Adds the entries of a language file of the skin: elements named "String"
// (any case) without child elements, with attributes "id" and "text" (any
// case); other elements are walked into at any depth. A file that cannot be
// read or parsed changes nothing and gives false.
bool LoadStringFile(const std::string& skinPath);
// The same for file content in memory.
bool LoadStringData(const char* data, size_t size);
void ClearStringTable();
// The text of the identifier, "" when unknown; never fails.
std::string GetLangText(const std::string& id);
// For an index 0 to 3: stores it in the configuration (CFG_LANGUAGE),
// reloads the table (English, then the chosen file), has the toolkit reload
// every control text that names an identifier and calls the hook. Any other
// index does nothing.
void SetLanguage(int index);

#pragma once
// Texts of controls whose text is a resource identifier (resourcetext):
// the program registers an IQueryControlText and the manager asks it once
// per identifier; ReloadText asks again for every identifier (after a
// language switch). UI thread only.

#include "platform/duilib/CDuiString.h"

#include <map>
#include <string>

namespace DuiLib {

class IQueryControlText
{
public:
    virtual ~IQueryControlText() = default;
    // The text for an identifier; "" for an unknown one.
    virtual CDuiString QueryControlText(const char* id, const char* type) = 0;
};

class CResourceManager
{
public:
    static CResourceManager* GetInstance();

    void SetTextQueryInterface(IQueryControlText* query) { m_pQuery = query; }
    IQueryControlText* GetTextQueryInterface() const { return m_pQuery; }
    // The text of id: the query's answer, or id itself when no query is set.
    CDuiString GetText(const char* id, const char* type = nullptr);
    // Asks the query again for every identifier seen so far.
    void ReloadText();
    void ResetTextMap() { m_texts.clear(); }

private:
    IQueryControlText* m_pQuery = nullptr;
    std::map<std::string, CDuiString> m_texts;  // identifier -> answered text
};

}  // namespace DuiLib

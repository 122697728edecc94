#include "platform/duilib/CResourceManager.h"

namespace DuiLib {

CResourceManager* CResourceManager::GetInstance()
{
    static CResourceManager instance;
    return &instance;
}

CDuiString CResourceManager::GetText(const char* id, const char* type)
{
    if (id == nullptr || *id == '\0')
        return CDuiString();
    if (m_pQuery == nullptr)
        return CDuiString(id);
    auto it = m_texts.find(id);
    if (it != m_texts.end())
        return it->second;
    CDuiString text = m_pQuery->QueryControlText(id, type);
    m_texts[id] = text;
    return text;
}

void CResourceManager::ReloadText()
{
    if (m_pQuery == nullptr) {
        m_texts.clear();
        return;
    }
    for (auto& entry : m_texts)
        entry.second = m_pQuery->QueryControlText(entry.first.c_str(), nullptr);
}

}  // namespace DuiLib

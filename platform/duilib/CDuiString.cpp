#include "platform/duilib/CDuiString.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace DuiLib {
namespace {

int VFormat(std::string& out, const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        out.clear();
        return 0;
    }
    out.assign(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), format, args);
    out.resize(static_cast<size_t>(needed));
    return needed;
}

}  // namespace

CDuiString::CDuiString(const char* text, int length)
{
    Assign(text, length);
}

char CDuiString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        return '\0';
    return m_str[static_cast<size_t>(index)];
}

void CDuiString::SetAt(int index, char ch)
{
    if (index >= 0 && index < GetLength())
        m_str[static_cast<size_t>(index)] = ch;
}

void CDuiString::Assign(const char* text, int length)
{
    if (text == nullptr) {
        m_str.clear();
        return;
    }
    if (length < 0)
        m_str.assign(text);
    else
        m_str.assign(text, strnlen(text, static_cast<size_t>(length)));
}

void CDuiString::Append(const char* text)
{
    if (text)
        m_str.append(text);
}

CDuiString& CDuiString::operator=(const char* text)
{
    Assign(text);
    return *this;
}

CDuiString& CDuiString::operator+=(const char* text)
{
    Append(text);
    return *this;
}

CDuiString& CDuiString::operator+=(const CDuiString& text)
{
    m_str += text.m_str;
    return *this;
}

CDuiString& CDuiString::operator+=(char ch)
{
    m_str += ch;
    return *this;
}

CDuiString CDuiString::operator+(const char* text) const
{
    CDuiString result(*this);
    result += text;
    return result;
}

CDuiString CDuiString::operator+(const CDuiString& text) const
{
    CDuiString result(*this);
    result += text;
    return result;
}

int CDuiString::Compare(const char* text) const
{
    return m_str.compare(text ? text : "");
}

int CDuiString::CompareNoCase(const char* text) const
{
    return strcasecmp(m_str.c_str(), text ? text : "");
}

void CDuiString::MakeUpper()
{
    for (char& c : m_str)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void CDuiString::MakeLower()
{
    for (char& c : m_str)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

CDuiString CDuiString::Left(int length) const
{
    if (length < 0)
        length = 0;
    return CDuiString(m_str.substr(0, static_cast<size_t>(length)));
}

CDuiString CDuiString::Mid(int pos, int length) const
{
    if (pos < 0)
        pos = 0;
    if (pos >= GetLength())
        return CDuiString();
    return CDuiString(
        m_str.substr(static_cast<size_t>(pos), length < 0 ? std::string::npos : static_cast<size_t>(length)));
}

CDuiString CDuiString::Right(int length) const
{
    if (length <= 0)
        return CDuiString();
    if (length >= GetLength())
        return *this;
    return CDuiString(m_str.substr(m_str.size() - static_cast<size_t>(length)));
}

int CDuiString::Find(char ch, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::Find(const char* text, int start) const
{
    if (text == nullptr || start < 0 || start > GetLength())
        return -1;
    size_t pos = m_str.find(text, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::ReverseFind(char ch) const
{
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::Replace(const char* from, const char* to)
{
    if (from == nullptr || *from == '\0')
        return 0;
    std::string replacement = to ? to : "";
    std::string needle = from;
    int count = 0;
    size_t pos = 0;
    while ((pos = m_str.find(needle, pos)) != std::string::npos) {
        m_str.replace(pos, needle.size(), replacement);
        pos += replacement.size();
        ++count;
    }
    return count;
}

int CDuiString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = VFormat(m_str, format, args);
    va_end(args);
    return n;
}

int CDuiString::SmallFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = VFormat(m_str, format, args);
    va_end(args);
    return n;
}

}  // namespace DuiLib

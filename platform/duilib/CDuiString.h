#pragma once
// The toolkit's string: UTF-8 text with the DuiLib-style helpers the program
// calls. Lengths and positions are in bytes. A plain value type; each object
// belongs to whoever holds it.

#include <string>

namespace DuiLib {

class CDuiString
{
public:
    CDuiString() = default;
    CDuiString(const char* text)
        : m_str(text ? text : "")
    {
    }  // NOLINT: implicit like the original
    CDuiString(const char* text, int length);
    CDuiString(const std::string& text)
        : m_str(text)
    {
    }  // NOLINT
    CDuiString(char ch)
        : m_str(1, ch)
    {
    }  // NOLINT

    const char* GetData() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator const char*() const { return m_str.c_str(); }  // NOLINT

    char GetAt(int index) const;
    void SetAt(int index, char ch);
    void Assign(const char* text, int length = -1);
    void Append(const char* text);

    CDuiString& operator=(const char* text);
    CDuiString& operator+=(const char* text);
    CDuiString& operator+=(const CDuiString& text);
    CDuiString& operator+=(char ch);
    CDuiString operator+(const char* text) const;
    CDuiString operator+(const CDuiString& text) const;

    bool operator==(const char* text) const { return m_str == (text ? text : ""); }
    bool operator!=(const char* text) const { return !(*this == text); }
    bool operator<(const CDuiString& other) const { return m_str < other.m_str; }

    // Like strcmp; CompareNoCase folds ASCII letters only.
    int Compare(const char* text) const;
    int CompareNoCase(const char* text) const;

    void MakeUpper();
    void MakeLower();
    CDuiString Left(int length) const;
    CDuiString Mid(int pos, int length = -1) const;
    CDuiString Right(int length) const;
    // Byte position of the first match at or after start, or -1.
    int Find(char ch, int start = 0) const;
    int Find(const char* text, int start = 0) const;
    int ReverseFind(char ch) const;
    // Replaces every occurrence; returns how many were replaced.
    int Replace(const char* from, const char* to);

    // printf-style formatting; the text may be of any length.
    int Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int SmallFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::string m_str;
};

inline CDuiString operator+(const char* left, const CDuiString& right)
{
    return CDuiString(left) + right;
}

}  // namespace DuiLib

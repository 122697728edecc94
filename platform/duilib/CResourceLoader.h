#pragma once
// Where skin files come from: the skin archive installed with
// SetResourceZip (resource type 4) or, as a fallback and for the other
// types, files below the resource path. Set up once at start-up on the UI
// thread; ReadFile may then be called from any thread.

#include <string>
#include <vector>

namespace DuiLib {

class CSkinArchive;

enum UILIB_RESOURCETYPE
{
    UILIB_FILE = 1,
    UILIB_ZIP = 2,
    UILIB_RESOURCE = 3,
    UILIB_ZIPRESOURCE = 4,
};

class CResourceLoader
{
public:
    static void SetResourceType(int type);
    static int GetResourceType();
    static void SetResourcePath(const std::string& path);
    static std::string GetResourcePath();
    // Installs an archive from memory (the bytes are copied). False when the
    // bytes are no ZIP archive; the previous archive is dropped either way.
    static bool SetResourceZip(const void* bytes, unsigned int size);
    static CSkinArchive& GetArchive();

    // Reads a skin file by its skin name ("xmls\main.xml"). Archive first,
    // then the resource path (matching each path part without regard to
    // case), then the name as a path of its own.
    static bool ReadFile(const std::string& name, std::vector<unsigned char>& out);

    // Resolves name below dir matching each part without regard to case;
    // empty when no such file exists.
    static std::string FindFileNoCase(const std::string& dir, const std::string& name);
};

}  // namespace DuiLib

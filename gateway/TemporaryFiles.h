// The files that carry a submission to Outlook (number lists with names and
// numbers, XML documents with digests) hold personal data, so each is owned
// from the moment it is created until Outlook has copied it, and deleted on
// every way out, failures included.
#pragma once

#include <string>
#include <vector>

class CTemporaryFiles
{
public:
    CTemporaryFiles() = default;
    // Deletes every file still held; keeps the thread's last error.
    ~CTemporaryFiles();
    CTemporaryFiles(const CTemporaryFiles&) = delete;
    CTemporaryFiles& operator=(const CTemporaryFiles&) = delete;

    void Add(const std::string& path);
    // Deletes the files now; a file that is already gone counts as deleted.
    void DeleteAll();
    // Stops owning the files without deleting them.
    void Release();

    // The user's temporary folder (with its trailing backslash), "\\" and
    // the file name. Throws CGeneralException, context " - GetTempPath
    // failed", when the folder cannot be found: nothing is ever written
    // relative to the current drive instead.
    static std::string MakePath(const std::string& fileName, const std::string& context);
    // "<prefix>" + the low 16 bits of GetTickCount in 4 lower-case hex digits
    // + "<extension>".
    static std::string MakeTickCountName(const std::string& prefix, const std::string& extension);

private:
    std::vector<std::string> m_Paths;
};

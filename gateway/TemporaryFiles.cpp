#include "gateway/TemporaryFiles.h"

#include "core/Exceptions.h"

#include <windows.h>

#include <cstdio>

CTemporaryFiles::~CTemporaryFiles()
{
    const DWORD lastError = ::GetLastError();
    DeleteAll();
    ::SetLastError(lastError);
}

void CTemporaryFiles::Add(const std::string& path)
{
    m_Paths.push_back(path);
}

void CTemporaryFiles::DeleteAll()
{
    for (const std::string& path : m_Paths)
        ::DeleteFileA(path.c_str());
    m_Paths.clear();
}

void CTemporaryFiles::Release()
{
    m_Paths.clear();
}

std::string CTemporaryFiles::MakePath(const std::string& fileName, const std::string& context)
{
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH + 1, folder);
    if (length == 0)
        throw CGeneralException(context + " - GetTempPath failed", HResultFromLastError());
    if (length > MAX_PATH)
        throw CGeneralException(context + " - GetTempPath failed", HResultFromWin32(ERROR_INSUFFICIENT_BUFFER));
    return std::string(folder, length) + "\\" + fileName;
}

std::string CTemporaryFiles::MakeTickCountName(const std::string& prefix, const std::string& extension)
{
    char digits[8];
    std::snprintf(digits, sizeof(digits), "%04x", static_cast<unsigned>(::GetTickCount() & 0xFFFF));
    return prefix + digits + extension;
}

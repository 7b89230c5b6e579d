#include "platform/ActivationContext.h"

#include <vector>

namespace
{
constexpr WORD kIsolationAwareManifestId = 2;  // ISOLATIONAWARE_MANIFEST_RESOURCE_ID
}

CModuleActivationScope::CModuleActivationScope(HMODULE module) noexcept
{
    const LPCWSTR manifestId = MAKEINTRESOURCEW(kIsolationAwareManifestId);
    if (!module || !::FindResourceW(module, manifestId, MAKEINTRESOURCEW(24)))  // RT_MANIFEST
        return;

    std::vector<wchar_t> path(32768, L'\0');
    if (::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())) == 0)
        return;

    ACTCTXW request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.data();
    request.hModule = module;
    request.lpResourceName = manifestId;
    m_Context.reset(::CreateActCtxW(&request));
    if (!m_Context)
        return;

    ULONG_PTR cookie = 0;
    if (::ActivateActCtx(m_Context.get(), &cookie))
        m_Cookie.reset(cookie);
}

#include "core/ZentavoEncryption.h"

#include "core/Base64.h"
#include "core/WrenloDESImpl.h"

#include <algorithm>

namespace
{
// Only the first 8 characters of each text are the key: their character
// codes, not the byte values that the notation spells.
const char kKeyText1[] = "/x6B/x1F/xC2/x93/x4D/xE8/x07/x5A";
const char kKeyText2[] = "/xA4/x3E/x71/xD9/x0C/x86/xF2/x2B";

WrenloDESImpl MakeEngine()
{
    return WrenloDESImpl(reinterpret_cast<const unsigned char*>(kKeyText1),
                         reinterpret_cast<const unsigned char*>(kKeyText2), true, true, 3);
}
} // namespace

std::string CZentavoEncryption::Encrypt(const std::string& text) const
{
    if (text.empty())
        return std::string();
    const size_t length = std::min(text.size(), text.find('\0'));

    WrenloDESImpl engine = MakeEngine();
    engine.Process(reinterpret_cast<const unsigned char*>(text.data()), static_cast<std::uint32_t>(length), true);
    return CBase64::Encode(engine.GetOutput(), static_cast<int>(engine.GetOutputLength()));
}

std::string CZentavoEncryption::Decrypt(const std::string& value) const
{
    if (value.empty())
        return std::string();

    const std::string bytes = CBase64::Decode(value);
    WrenloDESImpl engine = MakeEngine();
    // A bad padding means a damaged value or other keys: its bytes are no
    // secret anybody stored, and the caller must see that there is none.
    if (!engine.Process(reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<std::uint32_t>(bytes.size()), false) ||
        !engine.HasValidPadding())
        return std::string();

    const char* output = reinterpret_cast<const char*>(engine.GetOutput());
    return std::string(output, std::find(output, output + engine.GetOutputLength(), '\0'));
}

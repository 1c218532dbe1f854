// The programme guide: JSON with Base64 titles and descriptions and free-form times.
#include "FuzzSupport.h"
#include "provider/ProviderJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto guide = ProviderJson::decode<EPGResponse>(body).toOptional()) {
        for (const EPGListing &listing : guide->listings()) {
            FuzzSupport::readAll(listing);
            (void)listing.isNow(0);
            (void)listing.isNow(std::numeric_limits<qint64>::max());
        }
    }
    return 0;
}

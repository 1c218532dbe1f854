// The single-object answers: sign-in, a movie's details, a series' seasons and episodes.
#include "FuzzSupport.h"
#include "provider/ProviderJson.h"

template <typename Answer>
void decodeObject(QByteArray body)
{
    if (const auto answer = ProviderJson::decode<Answer>(std::move(body)).toOptional())
        FuzzSupport::readAll(*answer);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    QByteArray body = FuzzSupport::rest(data, size);
    switch (data[0] % 3) {
    case 0: decodeObject<AuthResponse>(std::move(body)); break;
    case 1: decodeObject<VodInfoResponse>(std::move(body)); break;
    default: decodeObject<SeriesInfoResponse>(std::move(body)); break;
    }
    return 0;
}

// Every list answer of the provider, whole catalogs included (they are the same lists without a
// category): the first byte chooses the record type, the rest is the body.
#include "FuzzSupport.h"
#include "provider/ProviderJson.h"

template <typename Record>
void decodeList(QByteArray body)
{
    if (const auto list = ProviderJson::decode<QList<Record>>(std::move(body)).toOptional()) {
        for (const Record &record : *list)
            FuzzSupport::readAll(record);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    QByteArray body = FuzzSupport::rest(data, size);
    switch (data[0] % 4) {
    case 0: decodeList<Category>(std::move(body)); break;
    case 1: decodeList<LiveStream>(std::move(body)); break;
    case 2: decodeList<VodStream>(std::move(body)); break;
    default: decodeList<SeriesStream>(std::move(body)); break;
    }
    return 0;
}

#include "provider/VodStream.h"

#include "provider/DecimalInteger.h"

VodStream::VodStream(const QString &name, const QString &streamId, const QString &streamIcon,
                     const QString &categoryId, const QString &containerExtension, const QString &added)
    : m_fields(RecordText<FieldCount>::fromStrings(
          {name, streamId, streamIcon, categoryId, containerExtension, added})),
      m_addedEpoch(DecimalInteger::parse(QStringView(added)).value_or(0))
{
}

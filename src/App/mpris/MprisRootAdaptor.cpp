#include "mpris/MprisRootAdaptor.h"

#include "mpris/MprisService.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service)
{
}

QString MprisRootAdaptor::desktopEntry() const
{
    return MprisService::desktopEntry;
}

void MprisRootAdaptor::Raise()
{
    m_service->raise();
}

void MprisRootAdaptor::Quit()
{
    m_service->quit();
}

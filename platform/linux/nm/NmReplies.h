// NetworkManager's replies and properties, checked against the D-Bus type
// its API gives each before they are converted. QtDBus's conversions trust
// the shape they are asked for: on another one they abort in libdbus or
// loop without end. A value of another shape throws UnexpectedReply; a
// value that is absent converts to an empty one.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include <QByteArray>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include "linux/nm/NmProfiles.h"

namespace plat::lnx::nm {

// What arrived instead of what was expected, such as "a(o) where ao was
// expected"; the machine refuses the call that met it with replyNotUnderstood.
class UnexpectedReply : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The one line a user is told when a call met an UnexpectedReply.
std::string replyNotUnderstood(const UnexpectedReply& reply);

// The first argument of a method reply; an absent one is empty.
QVariant firstArgument(const QDBusMessage& reply);

QVariantMap propertyMap(const QVariant& value);              // a{sv}
QList<QDBusObjectPath> objectPaths(const QVariant& value);   // ao
ProfileSettings profileSettings(const QVariant& value);      // a{sa{sv}}
QMap<QString, QString> stringMap(const QVariant& value);     // a{ss}
QString objectPath(const QVariant& value);                   // o
QString text(const QVariant& value);                         // s
QStringList texts(const QVariant& value);                    // as

// Objects with their interfaces' properties, as NetworkManager's object
// manager hands them over, by object path.
using InterfaceProperties = QMap<QString, QVariantMap>;      // a{sa{sv}}
using ManagedObjects = QMap<QString, InterfaceProperties>;   // a{oa{sa{sv}}}
ManagedObjects managedObjects(const QVariant& value);
InterfaceProperties interfaceProperties(const QVariant& value);

// The map with every value converted out of the message it came in, so that
// it can be kept and read by any thread any number of times. A value of a
// shape none of the readers below takes keeps only its signature: reading
// it throws.
QVariantMap detached(const QVariantMap& map);

// One entry of a property map (or a profile's group), of the type named.
QString objectPathIn(const QVariantMap& map, const QString& name);   // o
QString textIn(const QVariantMap& map, const QString& name);         // s
QByteArray bytesIn(const QVariantMap& map, const QString& name);     // ay
std::uint32_t numberIn(const QVariantMap& map, const QString& name); // u
std::uint8_t byteIn(const QVariantMap& map, const QString& name);    // y
bool flagIn(const QVariantMap& map, const QString& name, bool absent = false);  // b

}  // namespace plat::lnx::nm

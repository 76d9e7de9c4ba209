#include "linux/nm/NmReplies.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace plat::lnx::nm {
namespace {

// A kept value of a shape the program never reads.
struct UnreadValue {
  QString signature;
};

}  // namespace
}  // namespace plat::lnx::nm

Q_DECLARE_METATYPE(plat::lnx::nm::UnreadValue)

namespace plat::lnx::nm {
namespace {

QString signatureOf(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<QDBusArgument>()) return value.value<QDBusArgument>().currentSignature();
  if (value.metaType() == QMetaType::fromType<UnreadValue>()) return value.value<UnreadValue>().signature;
  const char* signature = QDBusMetaType::typeToSignature(value.metaType());
  return signature ? QString::fromLatin1(signature) : QString::fromLatin1(value.metaType().name());
}

[[noreturn]] void refuse(const QVariant& value, const char* expected) {
  throw UnexpectedReply(signatureOf(value).toStdString() + " where " + expected + " was expected");
}

// A container as QtDBus hands it over: still marshalled (a QDBusArgument),
// or already converted when QtDBus knows the type.
template <class T>
T container(const QVariant& value, const char* signature) {
  if (!value.isValid()) return T{};
  if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String(signature)) refuse(value, signature);
    return qdbus_cast<T>(argument);
  }
  if (value.metaType() == QMetaType::fromType<T>()) return value.value<T>();
  refuse(value, signature);
}

template <class T>
T scalar(const QVariant& value, const char* signature, T absent = T{}) {
  if (!value.isValid()) return absent;
  if (value.metaType() != QMetaType::fromType<T>()) refuse(value, signature);
  return value.value<T>();
}

}  // namespace

std::string replyNotUnderstood(const UnexpectedReply& reply) {
  return std::string("NetworkManager sent a reply this program does not understand (") + reply.what() +
         "): restart NetworkManager (systemctl restart NetworkManager) and try again.";
}

QVariant firstArgument(const QDBusMessage& reply) {
  return reply.arguments().isEmpty() ? QVariant() : reply.arguments().constFirst();
}

QVariantMap propertyMap(const QVariant& value) { return container<QVariantMap>(value, "a{sv}"); }

QList<QDBusObjectPath> objectPaths(const QVariant& value) { return container<QList<QDBusObjectPath>>(value, "ao"); }

ProfileSettings profileSettings(const QVariant& value) { return container<ProfileSettings>(value, "a{sa{sv}}"); }

QMap<QString, QString> stringMap(const QVariant& value) { return container<QMap<QString, QString>>(value, "a{ss}"); }

QString objectPath(const QVariant& value) { return scalar<QDBusObjectPath>(value, "o").path(); }

QString text(const QVariant& value) { return scalar<QString>(value, "s"); }

QStringList texts(const QVariant& value) { return container<QStringList>(value, "as"); }

QVariantMap detached(const QVariantMap& map) {
  QVariantMap kept;
  for (auto entry = map.constBegin(); entry != map.constEnd(); ++entry) {
    const QVariant& value = entry.value();
    if (value.metaType() != QMetaType::fromType<QDBusArgument>()) {
      kept.insert(entry.key(), value);
      continue;
    }
    const QString signature = value.value<QDBusArgument>().currentSignature();
    if (signature == QLatin1String("ao")) {
      kept.insert(entry.key(), QVariant::fromValue(objectPaths(value)));
    } else if (signature == QLatin1String("a{sv}")) {
      kept.insert(entry.key(), detached(propertyMap(value)));
    } else if (signature == QLatin1String("a{ss}")) {
      kept.insert(entry.key(), QVariant::fromValue(stringMap(value)));
    } else {
      kept.insert(entry.key(), QVariant::fromValue(UnreadValue{signature}));
    }
  }
  return kept;
}

InterfaceProperties interfaceProperties(const QVariant& value) {
  InterfaceProperties interfaces = container<InterfaceProperties>(value, "a{sa{sv}}");
  for (auto& properties : interfaces) properties = detached(properties);
  return interfaces;
}

ManagedObjects managedObjects(const QVariant& value) {
  constexpr const char* signature = "a{oa{sa{sv}}}";
  if (!value.isValid()) return {};
  if (value.metaType() != QMetaType::fromType<QDBusArgument>()) refuse(value, signature);
  const auto argument = value.value<QDBusArgument>();
  if (argument.currentSignature() != QLatin1String(signature)) refuse(value, signature);
  ManagedObjects objects;
  argument.beginMap();
  while (!argument.atEnd()) {
    QDBusObjectPath path;
    InterfaceProperties interfaces;
    argument.beginMapEntry();
    argument >> path >> interfaces;
    argument.endMapEntry();
    for (auto& properties : interfaces) properties = detached(properties);
    objects.insert(path.path(), std::move(interfaces));
  }
  argument.endMap();
  return objects;
}

QString objectPathIn(const QVariantMap& map, const QString& name) { return objectPath(map.value(name)); }

QString textIn(const QVariantMap& map, const QString& name) { return scalar<QString>(map.value(name), "s"); }

QByteArray bytesIn(const QVariantMap& map, const QString& name) { return scalar<QByteArray>(map.value(name), "ay"); }

std::uint32_t numberIn(const QVariantMap& map, const QString& name) { return scalar<uint>(map.value(name), "u"); }

std::uint8_t byteIn(const QVariantMap& map, const QString& name) { return scalar<uchar>(map.value(name), "y"); }

bool flagIn(const QVariantMap& map, const QString& name, bool absent) {
  return scalar<bool>(map.value(name), "b", absent);
}

}  // namespace plat::lnx::nm

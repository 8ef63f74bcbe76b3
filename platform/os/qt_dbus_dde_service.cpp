#include "platform/os/qt_dbus_dde_service.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>

#include "platform/os/dde_names.h"

namespace os {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// The object other programs see. Only what is marked scriptable is callable from the bus, so
// nobody but the program sets the items.
class DdeObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "nl.belverin.ddebelverinserver")
    Q_PROPERTY(QString ddenummer READ ddenummer)
    Q_PROPERTY(QString ddenaam READ ddenaam)

  public:
    QString ddenummer() const { return nummer; }
    QString ddenaam() const { return naam; }

    QString nummer;
    QString naam;

  public Q_SLOTS:
    Q_SCRIPTABLE QString LastCaller(QString& ddenaamOut) {
        ddenaamOut = naam;
        return nummer;
    }

  Q_SIGNALS:
    Q_SCRIPTABLE void CallerChanged(const QString& ddenummer, const QString& ddenaam);
};

struct QtDbusDdeService::State {
    DdeObject object;
    QString connectionName;
    QString busName;
    bool registered = false;
    bool connected = false;
};

QtDbusDdeService::QtDbusDdeService() : state_(std::make_unique<State>()) {
    static int serial = 0;
    state_->connectionName = QStringLiteral("belverin-dde-%1").arg(++serial);
}

QtDbusDdeService::~QtDbusDdeService() {
    if (!state_->connected) {
        return;
    }
    QDBusConnection bus(state_->connectionName);
    if (state_->registered) {
        bus.unregisterObject(Q(kDdeObjectPath));
        bus.unregisterService(state_->busName);
    }
    QDBusConnection::disconnectFromBus(state_->connectionName);
}

bool QtDbusDdeService::Offer(const std::string& busName, std::string& reason) {
    if (state_->registered) {
        reason = "de dienst is al aangeboden";
        return false;
    }
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    QDBusConnection bus =
        address.isEmpty()
            ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, state_->connectionName)
            : QDBusConnection::connectToBus(QString::fromUtf8(address), state_->connectionName);
    state_->connected = true;
    if (!bus.isConnected()) {
        const QString why = bus.lastError().message();
        reason = why.isEmpty() ? std::string("geen verbinding met de sessiebus")
                               : "geen verbinding met de sessiebus (" + why.toStdString() + ")";
        return false;
    }
    const QString name = QString::fromStdString(busName);
    const auto reply =
        bus.interface()->registerService(name, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        reason = reply.isValid() ? "de naam " + busName + " is al in gebruik"
                                 : "de naam " + busName + " is geweigerd (" +
                                       reply.error().message().toStdString() + ")";
        return false;
    }
    if (!bus.registerObject(Q(kDdeObjectPath), &state_->object,
                            QDBusConnection::ExportAllProperties |
                                QDBusConnection::ExportScriptableSignals |
                                QDBusConnection::ExportScriptableSlots)) {
        bus.unregisterService(name);
        reason = "het object " + std::string(kDdeObjectPath) + " is al in gebruik";
        return false;
    }
    state_->busName = name;
    state_->registered = true;
    return true;
}

void QtDbusDdeService::SetItems(const std::string& ddenummer, const std::string& ddenaam) {
    auto& o = state_->object;
    o.nummer = QString::fromStdString(ddenummer);
    o.naam = QString::fromStdString(ddenaam);
    if (!state_->registered) {
        return;
    }
    emit o.CallerChanged(o.nummer, o.naam);
    QDBusMessage changed = QDBusMessage::createSignal(
        Q(kDdeObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    changed << Q(kDdeInterface) << QVariantMap{{Q(kDdeNummer), o.nummer}, {Q(kDdeNaam), o.naam}}
            << QStringList{};
    QDBusConnection(state_->connectionName).send(changed);
}

std::string QtDbusDdeService::ddenummer() const {
    return state_->object.nummer.toStdString();
}

std::string QtDbusDdeService::ddenaam() const {
    return state_->object.naam.toStdString();
}

}  // namespace os

#include "qt_dbus_dde_service.moc"

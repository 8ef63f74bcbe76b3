#pragma once

#include <memory>
#include <string>

#include "platform/os/dde_service.h"

namespace os {

// The service on the session bus: object /ddebelverinserver with the interface
// nl.belverin.ddebelverinserver, read-only properties ddenummer and ddenaam, the method
// LastCaller() answering both, and on every SetItems the signal CallerChanged(nummer, naam)
// followed by the standard PropertiesChanged. The bus is the one DBUS_SESSION_BUS_ADDRESS
// names, on a connection of the service's own. Needs a QCoreApplication; main thread only.
class QtDbusDdeService : public DdeService {
  public:
    QtDbusDdeService();
    ~QtDbusDdeService() override;
    QtDbusDdeService(const QtDbusDdeService&) = delete;
    QtDbusDdeService& operator=(const QtDbusDdeService&) = delete;

    bool Offer(const std::string& busName, std::string& reason) override;
    void SetItems(const std::string& ddenummer, const std::string& ddenaam) override;
    std::string ddenummer() const override;
    std::string ddenaam() const override;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace os

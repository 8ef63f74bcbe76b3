#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/form.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace rtl {
class TIniFile;
}

namespace monitor {

// Sample numbers of the test form: the own number offered besides the configured ones, and
// the callers of tests 1, 2, 3 and 5 until the user changes them.
inline constexpr const char* kTestEigenNummer = "5551234";
inline constexpr std::array<const char*, 4> kTestNummers = {"0301234567", "0201234567",
                                                            "0101234567", "0401234567"};

// "Instellingen testen": made-up calls through the monitor window's whole road, outside the
// line. Made when opened, freed when closed; closing keeps its numbers in [test].
class Tftest : public ui::Form {
    Q_OBJECT
  public:
    // The monitor window's entry for a call: number, own number, CIP value, CIP text, and
    // whether the call is simulated (always, from here).
    using IncomingCallFn = std::function<void(const std::string&, const std::string&, std::uint16_t,
                                              const std::string&, bool)>;

    // Shows the test form, making it when none is open; its calls go to `call`.
    static Tftest* Open(IncomingCallFn call, rtl::TIniFile& belvo);
    static Tftest* Instance();

    // A click on test label n (1 .. 5).
    void LabelClick(int n);

    QLabel* Label1;
    QComboBox* cob1;
    QLabel* Label2;
    std::array<QLabel*, 5> l{};     // l1 .. l5
    std::array<QLineEdit*, 5> e{};  // e1, e2, e3, (none), e5
    QLineEdit* e1;
    QLineEdit* e2;
    QLineEdit* e3;
    QLineEdit* e5;

  protected:
    void FormClose(ui::CloseAction& action) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Tftest(IncomingCallFn call, rtl::TIniFile& belvo);

    IncomingCallFn call_;
    rtl::TIniFile& belvo_;
};

}  // namespace monitor

// The setup program: installs the monitor from the folder it lies in, or updates an
// installation.
#include <QApplication>

#include "platform/rtl/program_folder.h"
#include "setup/fdirectory.h"
#include "setup/fsetup.h"
#include "setup/instance_claim.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Belverin Setup ");
    setup::ProgramFolderClaim claim;
    setup::TForm1 form(rtl::ProgramDir(), claim);
    form.show();
    return QApplication::exec();
}

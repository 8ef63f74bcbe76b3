// A form carrying the eleven labelled controls, for a look under a real display.
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QTreeWidgetItem>

#include "components/labelled_controls.h"

namespace {

template <class T>
T* Place(QWidget* form, const char* name, const char* caption, int x, int y, int w, int h) {
    auto* c = new T(form);
    c->setObjectName(name);
    c->setGeometry(x, y, w, h);
    c->SubLabel()->SetCaption(QString::fromUtf8(caption));
    return c;
}

QPixmap Picture() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::darkCyan);
    QPainter p(&pixmap);
    p.setBrush(Qt::yellow);
    p.drawEllipse(8, 8, 32, 32);
    return pixmap;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget form;
    form.setWindowTitle("Onderschriften");
    form.setGeometry(0, 0, 640, 560);

    Place<TLEdit>(&form, "Naam", "&Naam", 120, 20, 180, 24)->setText("Jansen");
    Place<TLMaskEdit>(&form, "Postcode", "&Postcode", 120, 56, 180, 24)->SetEditMask("9999 >LL;_");
    Place<TLSpinEdit>(&form, "Aantal", "&Aantal", 120, 92, 80, 24)->setValue(3);
    Place<TLMemo>(&form, "Omschrijving", "&Omschrijving", 120, 128, 180, 60)
        ->setPlainText("Belt meestal 's avonds.");
    auto* list = Place<TLListBox>(&form, "Lijst", "&Lijst", 120, 200, 180, 60);
    list->addItems({"Thuis", "Werk", "Mobiel"});
    auto* combo = Place<TLComboBox>(&form, "Soort", "&Soort", 120, 272, 180, 24);
    combo->addItems({"Spraak", "Fax"});
    auto* image = Place<TLImage>(&form, "Foto", "Foto", 120, 308, 48, 48);
    image->setPixmap(Picture());
    auto* panel = Place<TLPanel>(&form, "Paneel", "Pan&eel", 120, 368, 180, 40);
    panel->SubLabel()->SetShowHint(true);
    panel->SubLabel()->setToolTip("Een paneel");
    Place<TLScrollBox>(&form, "Schuif", "S&chuifvak", 120, 420, 180, 50);
    auto* outline = Place<TLOutline>(&form, "Overzicht", "O&verzicht", 420, 20, 180, 120);
    auto* top = new QTreeWidgetItem(outline, {"Klapper"});
    new QTreeWidgetItem(top, {"Jansen"});
    outline->expandAll();
    auto* tree = Place<TLTreeView>(&form, "Boom", "&Boom", 420, 160, 180, 120);
    auto* root = new QTreeWidgetItem(tree, {"Logboek"});
    new QTreeWidgetItem(root, {"2024-01-05"});
    tree->expandAll();

    form.show();
    const int ms = argc > 1 ? QString(argv[1]).toInt() : 0;
    if (ms > 0) {
        QTimer::singleShot(ms, &app, &QApplication::quit);
    }
    return app.exec();
}

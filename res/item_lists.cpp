#include "res/item_lists.h"

#include "core/controller_names.h"

namespace ostrel::res {

QString ControllerItem(int number) {
    // Numbers from 100 up have one hyphen, so that the names line up in the list.
    const char* dashes = number < 100 ? "--" : "-";
    return QString::asprintf("%03d     %s%s", number, dashes, ControllerName(number));
}

QStringList ControllerItems() {
    QStringList items = OffDefaultItems();
    for (int n = 0; n <= 127; ++n) items << ControllerItem(n);
    return items;
}

QStringList OffDefaultItems() {
    return {QString::fromLatin1(kOffItem), QString::fromLatin1(kNoChangeItem)};
}

QStringList ChannelItems() {
    QStringList items{QString::fromLatin1(kChannelNoChangeItem)};
    for (int ch = 1; ch <= 16; ++ch) items << QString::asprintf("%03d     --Channel", ch);
    return items;
}

QStringList TransportItems(int number) {
    return {QString::fromLatin1(kNoChangeItem), ControllerItem(number)};
}

QStringList OctaveItems() {
    QStringList items;
    for (int o = 0; o < kTopOctave; ++o)
        items << QString::asprintf("C%d-B%d\t   (%d-%d)", o, o, o * 12, o * 12 + 11);
    items << QString::fromLatin1("C10-G10\t   (120-127)");
    return items;
}

QString CurveItem(int index, const QString& name) {
    return QString::asprintf("%03d     -- ", index) + name;
}

}  // namespace ostrel::res

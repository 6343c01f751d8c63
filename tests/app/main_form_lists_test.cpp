// Template 101, the combo table and the item texts of the main form's lists.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QRegularExpression>
#include <set>

#include "app/ostrel_view_combos.h"
#include "curves/curve_library.h"
#include "res/dialog_builder.h"
#include "res/item_lists.h"
#include "res/template_main_form.h"

namespace ostrel {
namespace {

using res::ItemKind;

TEST(MainFormTemplate, EveryComboOfTheTableIsAComboOfTheTemplateAndNoOther) {
    const res::DialogTemplate& t = res::MainFormTemplate();
    EXPECT_EQ(t.resourceId, 101);
    EXPECT_EQ(t.items.size(), 136u);
    std::set<int> templateCombos, ids;
    for (const res::DialogItem& it : t.items) {
        if (it.id > 0) {
            EXPECT_TRUE(ids.insert(it.id).second) << "duplicate id " << it.id;
        }
        if (it.kind != ItemKind::ComboBox) continue;
        templateCombos.insert(it.id);
        EXPECT_EQ(it.width, 47) << it.id;
        EXPECT_EQ(it.height, 217) << it.id;
        // Only Key Octave keeps its items in insertion order.
        EXPECT_EQ(bool(it.flags & res::kSorted), it.id != kIdKeyOctave) << it.id;
        // Every item lies inside the form.
        EXPECT_LE(it.x + it.width, t.width) << it.id;
    }
    std::set<int> tableCombos;
    for (const FormCombo& c : FormCombos()) EXPECT_TRUE(tableCombos.insert(c.id).second);
    EXPECT_EQ(tableCombos.size(), 66u);
    EXPECT_EQ(templateCombos, tableCombos);
}

TEST(MainFormTemplate, ComboTableCoversEveryEntryAndKeyOnce) {
    std::multiset<Entry> entries;
    std::set<int> keys;
    int masters = 0;
    for (const FormCombo& c : FormCombos()) {
        if (c.role == ComboRole::Entry || c.role == ComboRole::Curve) entries.insert(c.entry);
        if (c.role == ComboRole::MasterFader) ++masters;
        if (c.role == ComboRole::Key) {
            EXPECT_TRUE(keys.insert(c.key).second);
        }
    }
    EXPECT_EQ(masters, 2);
    EXPECT_EQ(keys.size(), 12u);
    // 52 entries; VOLM is edited by the two master fader combos.
    for (int i = 0; i < kEntryCount; ++i) {
        const Entry e = EntryAt(i);
        EXPECT_EQ(entries.count(e), e == Entry::VOLM ? 0u : 1u) << EntryName(e);
    }
    EXPECT_EQ(KeyComboId(0), 1045);   // C
    EXPECT_EQ(KeyComboId(8), 1072);   // G#
    EXPECT_EQ(KeyComboId(11), 1067);  // B
}

TEST(MainFormLists, ControllerListTextsAreExact) {
    const QStringList items = res::ControllerItems();
    ASSERT_EQ(items.size(), 130);
    EXPECT_EQ(items[0], "###     --Off");
    EXPECT_EQ(items[1], "***     --Default No Change");
    EXPECT_EQ(items[2], "000     --Bank Select");
    EXPECT_EQ(items[2 + 2], "002     --Breath control ");
    EXPECT_EQ(items[2 + 6], "006     --Data Entry ");
    EXPECT_EQ(items[2 + 7], "007     --Channel Volume");
    EXPECT_EQ(items[2 + 16], "016     --General Purpose Controller #1");
    EXPECT_EQ(items[2 + 33], "033     --Modulation wheel ");
    EXPECT_EQ(items[2 + 38], "038     --Data entry ");
    EXPECT_EQ(items[2 + 51], "051     --General Purpose Controller #4");
    EXPECT_EQ(items[2 + 64], "064     --Damper pedal on/off (Sustain)");
    EXPECT_EQ(items[2 + 71], "071     --Sound Cont. 2 (Timbre/Harmonic Intens.)");
    EXPECT_EQ(items[2 + 79], "079     --Sound Cont. 10 ");
    EXPECT_EQ(items[2 + 80], "080     --General Purpose Controller #5");
    EXPECT_EQ(items[2 + 83], "083     --General Purpose Controller #8");
    EXPECT_EQ(items[2 + 94], "094     --Effects 4 Depth (Celeste/Detune Depth) ");
    EXPECT_EQ(items[2 + 99], "099     --Non-Registered Parameter Number MSB");
    EXPECT_EQ(items[2 + 100], "100     -Registered Parameter Number LSB* ");
    EXPECT_EQ(items[2 + 115], "115     -Undefined");
    EXPECT_EQ(items[2 + 120], "120     -All Sound Off");
    EXPECT_EQ(items[2 + 127], "127     -Poly mode on");
    // 3, 9, 14-15, 20-31, 35, 41, 46-47, 52-63, 85-90, 102-119 are undefined.
    EXPECT_EQ(items.filter(QRegularExpression("^\\d{3}     -+Undefined$")).size(), 56);
    EXPECT_EQ(items.filter("General Purpose Controller").size(), 12);
}

TEST(MainFormLists, ChannelTransportOctaveAndCurveTexts) {
    const QStringList channels = res::ChannelItems();
    ASSERT_EQ(channels.size(), 17);
    EXPECT_EQ(channels[0], "***      --Default No Change");  // six blanks
    EXPECT_EQ(channels[1], "001     --Channel");
    EXPECT_EQ(channels[16], "016     --Channel");

    EXPECT_EQ(res::TransportItems(114),
              QStringList({"***     --Default No Change", "114     -Undefined"}));
    EXPECT_EQ(res::OffDefaultItems(),
              QStringList({"###     --Off", "***     --Default No Change"}));

    const QStringList octaves = res::OctaveItems();
    ASSERT_EQ(octaves.size(), 11);
    EXPECT_EQ(octaves[0], "C0-B0\t   (0-11)");
    EXPECT_EQ(octaves[5], "C5-B5\t   (60-71)");
    EXPECT_EQ(octaves[9], "C9-B9\t   (108-119)");
    EXPECT_EQ(octaves[10], "C10-G10\t   (120-127)");

    EXPECT_EQ(res::CurveItem(3, "Soft"), "003     -- Soft");
    // The curve dialogs build the same texts from the library.
    EXPECT_EQ(res::CurveItem(12, "x y").toStdString(), CurveItemText(12, "x y"));
}

TEST(MainFormLists, SortedCombosKeepCodeOrderSoThatItemIndexFollowsTheCode) {
    for (const FormCombo& entry : FormCombos()) {
        if (entry.list == ComboList::Curves) continue;
        QComboBox combo;
        combo.setEditable(true);
        combo.setProperty("sorted", entry.list != ComboList::Octave);
        const QStringList given = InitialItems(entry);
        res::AddComboItems(&combo, given);
        ASSERT_EQ(combo.count(), given.size());
        // The lists are given in code order, which is also their sorted order.
        for (int i = 0; i < combo.count(); ++i)
            EXPECT_EQ(combo.itemText(i), given[i]) << entry.id << " item " << i;
    }
    // Curve names do not disturb the order: the index prefix decides.
    QComboBox curves;
    curves.setProperty("sorted", true);
    res::AddComboItems(
        &curves, {res::kDefaultCurveItem, res::CurveItem(0, "zeta"), res::CurveItem(1, "Alpha"),
                  res::CurveItem(2, "###"), res::CurveItem(10, "beta")});
    ASSERT_EQ(curves.count(), 5);
    EXPECT_EQ(curves.itemText(0), res::kDefaultCurveItem);
    EXPECT_EQ(curves.itemText(1), "000     -- zeta");
    EXPECT_EQ(curves.itemText(3), "002     -- ###");
    EXPECT_EQ(curves.itemText(4), "010     -- beta");
}

}  // namespace
}  // namespace ostrel

// Boxes of the main screen and its small windows that carry a title of their
// own, driven through the real windows: the title, the text and the icon.
#include "SalesTestSupport.h"

#include "sales/receipt/PositionEdits.h"
#include "sales/receipt/ReceiptModel.h"
#include "sales/screen/CountInputLogic.h"
#include "sales/screen/DiscountInputLogic.h"
#include "sales/screen/uCountInput.h"
#include "sales/screen/uDiscountInput.h"

#include <QLineEdit>
#include <QTimer>

#include <functional>

namespace {

using sales::ReceiptModel;

class ScreenMessages : public salestest::MainScreenFixture {
protected:
    void installCommands() override {
        installPositionEdits(*screen);
        new TfmDiscountInput(*screen, screen.get());
    }

    // Runs `command`; whichever keypad window it opens gets `drive`, and is
    // cancelled when still open afterwards.
    void runWithWindow(const std::function<void()>& command, const std::function<void(QDialog&)>& drive) {
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            QDialog* w = fmCountInput && fmCountInput->isVisible() ? static_cast<QDialog*>(fmCountInput)
                         : fmDiscountInput && fmDiscountInput->isVisible() ? static_cast<QDialog*>(fmDiscountInput)
                                                                           : nullptr;
            if (!w) return;
            drive(*w);
            if (w->isVisible()) w->reject();
        });
        timer.start(0);
        command();
    }
};

TEST_F(ScreenMessages, BoxesCarryTheirOwnTitles) {
    struct Case {
        const char* name;
        std::function<void()> act;
        QString caption;
        QString text;
        ui::Icon icon;
    };
    const std::vector<Case> cases = {
        {"a fraction of a piece good",
         [this] {
             addPosition({"12", "P", "10.00", "3"});
             runWithWindow([this] { runCountInput(*screen, sales::CountInputQuantity, QStringLiteral("Ввод количества")); },
                             [](QDialog& w) {
                                 static_cast<TfmCountInput&>(w).Memo1->setText(QStringLiteral("1.5"));
                                 salestest::MainScreenFixture::click(w, "BitBtn14");
                             });
         },
         QStringLiteral("Ошибка набора"), sales::countInputText::kPieceFraction, ui::Icon::Warning},
        {"a quantity that is no number",
         [this] {
             addPosition({"12", "W", "10.00", "1.000"});
             runWithWindow([this] { runCountInput(*screen, sales::CountInputQuantity, QStringLiteral("Ввод количества")); },
                             [](QDialog& w) {
                                 static_cast<TfmCountInput&>(w).Memo1->setText(QStringLiteral("1.2.3"));
                                 salestest::MainScreenFixture::click(w, "BitBtn14");
                             });
         },
         QStringLiteral("Ошибка ввода"), sales::countInputText::kBadFormat, ui::Icon::Warning},
        {"a discount that is no number",
         [this] {
             addPosition({"12", "P", "10.00", "3"});
             runWithWindow([this] { screen->btnCheckDiscountClick(); },
                             [](QDialog& w) {
                                 auto& discount = static_cast<TfmDiscountInput&>(w);
                                 discount.chooseKind(sales::DiscountKindSum);
                                 discount.MemoSumma->setText(QStringLiteral("1.2.3"));
                                 salestest::MainScreenFixture::click(w, "BitBtn14");
                             });
         },
         sales::discountInputText::kBadFormatCaption, sales::discountInputText::kBadFormat, ui::Icon::Warning},
        {"a position discount under a receipt discount",
         [this] {
             addPosition({"12", "P", "10.00", "3"});
             screen->receipt().setReceiptDiscount(QStringLiteral("P"), QStringLiteral("5"));
             ASSERT_EQ(screen->RecalcReceipt(), 0);
             screen->btnPosDiscountClick();
         },
         QStringLiteral("Операция не доступна"), sales::positionEditsText::kPositionDiscountBlocked,
         ui::Icon::Warning},
        {"a percent of a hundred",
         [this] {
             sales::testing::addRow(screen->receipt(), {"12", "P", "10.00", "3", "P", "100"});
             screen->RecalcReceipt();
         },
         QStringLiteral("Недопустимый размер скидки"), QStringLiteral("Вы задали очень большой   \r\nпроцент скидки"),
         ui::Icon::Warning},
        {"a unit price that is no number",
         [this] {
             sales::testing::addRow(screen->receipt(), {"12", "P", "abc", "3", "P", "5"});
             screen->RecalcReceipt();
         },
         QStringLiteral("Ошибка программы"),
         QStringLiteral("Недопустимый формат данных. Перезапустите приложение.   \r\n"
                        "Если ошибка повторится, обратитесь к разработчику."),
         ui::Icon::Error},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screen->resetReceipt();
        messages.clear();
        c.act();
        ASSERT_FALSE(messages.boxes.empty());
        const testsupport::RecordedBox& box = messages.boxes.front();
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.icon, c.icon);
    }
}

}  // namespace

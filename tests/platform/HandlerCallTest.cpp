// Handlers called from event dispatch: what they raise is shown, never passed on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <stdexcept>

#include "platform/HandlerCall.h"

namespace {

// Runs `call`, closing every message box it shows; returns the texts of the boxes.
QStringList BoxesShownBy(const std::function<void()>& call)
{
    QStringList texts;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->done(QMessageBox::Ok);
        }
    });
    closer.start(10);
    call();
    return texts;
}

} // namespace

TEST(HandlerCall, AnExceptionIsShownAndGoesNoFurther)
{
    int runs = 0;
    EXPECT_TRUE(BoxesShownBy([&] { CallHandler(nullptr, [&] { ++runs; }); }).isEmpty());
    EXPECT_EQ(runs, 1);

    QStringList texts;
    EXPECT_NO_THROW(texts = BoxesShownBy([] {
        CallHandler(nullptr, [] { throw std::runtime_error("No se encuentra el archivo \xE9"); });
    }));
    EXPECT_EQ(texts, QStringList({QString::fromUtf8("No se encuentra el archivo \u00E9")}));

    // Something that is no exception of ours carries no text: nothing to show, and it stops here.
    EXPECT_NO_THROW(texts = BoxesShownBy([] { CallHandler(nullptr, [] { throw 39; }); }));
    EXPECT_TRUE(texts.isEmpty());
}

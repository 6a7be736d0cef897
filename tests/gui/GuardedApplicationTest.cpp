// Exceptions out of event handlers, slots and worker jobs: the window program stays up and says
// what happened.
#include "application/GuardedApplication.h"

#include "common/ErrorTrail.h"
#include "common/Prompter.h"
#include "dialogs/EngineWorker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

namespace vellum::test {

namespace {

class ThrowingObject : public QObject {
public:
    bool outOfMemory = true;
    int handled = 0;

    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++handled;
        if (outOfMemory)
            throw std::bad_alloc();
        throw std::out_of_range("resource index out of range");
    }
};

} // namespace

TEST(GuardedApplication, AnEventOrSlotThatThrowsIsReportedAndTheProgramGoesOn) {
    auto* app = dynamic_cast<gui::GuardedApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    ScriptedPrompter prompter;
    app->SetPrompter(&prompter);
    ThrowingObject target;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event));
    target.outOfMemory = false;
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event));
    bool ranAfter = false;
    QTimer::singleShot(0, [] { throw std::bad_alloc(); });
    QTimer::singleShot(0, [&ranAfter] { ranAfter = true; });
    QCoreApplication::processEvents();
    app->SetPrompter(nullptr);

    EXPECT_EQ(target.handled, 2);
    EXPECT_TRUE(ranAfter) << "the event loop goes on after a slot threw";
    ASSERT_EQ(prompter.Shown().size(), 3u);
    const std::string memory = "There was not enough memory to finish this operation, so it was "
                               "stopped. Save your work, close other programs and try again.";
    EXPECT_EQ(prompter.Shown()[0].message, memory);
    EXPECT_EQ(prompter.Shown()[0].title, "Vellum");
    EXPECT_EQ(prompter.Shown()[1].message,
              "An unexpected error stopped this operation: resource index out of range");
    EXPECT_EQ(prompter.Shown()[2].message, memory);
}

TEST(EngineWorker, AJobThatThrowsFailsWithItsReasonInTheTrail) {
    ClearErrorTrail();
    gui::EngineWorker worker;
    EXPECT_EQ(worker.Run([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    std::string trail = TakeErrorTrail().value_or("");
    EXPECT_NE(trail.find("There was not enough memory to finish the job."), std::string::npos)
        << trail;
    EXPECT_EQ(worker.Run([]() -> HRESULT { throw std::runtime_error("zip entry too large"); }),
              E_FAIL);
    trail = TakeErrorTrail().value_or("");
    EXPECT_NE(trail.find("The job stopped: zip entry too large"), std::string::npos) << trail;
    EXPECT_EQ(worker.Run([] { return S_OK; }), S_OK) << "the worker is usable again";
}

} // namespace vellum::test

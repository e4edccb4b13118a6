// The fence that lets a window's store be written without waiting on the display server: when it
// may be passed, and what makes it close again. The server is a fake that answers on request.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <memory>
#include <set>
#include <vector>

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QWindow>

#include "qt/qt_store_fence.h"

namespace {

using kd508::platform::qt::FenceLink;
using kd508::platform::qt::in_shared_mapping;
using kd508::platform::qt::is_xrgb_visual;
using kd508::platform::qt::StoreFence;

struct FakeServer {
    unsigned next_request = 100;
    std::set<unsigned> answered;
    std::vector<unsigned> forgotten;
    std::vector<unsigned> asked;
};

class FakeLink final : public FenceLink {
public:
    explicit FakeLink(FakeServer& server) : server_(server) {}
    unsigned ask() override {
        server_.asked.push_back(server_.next_request);
        return server_.next_request++;
    }
    bool answered(unsigned request) override { return server_.answered.erase(request) == 1; }
    void forget(unsigned request) override { server_.forgotten.push_back(request); }

private:
    FakeServer& server_;
};

// Store memory as the server shares it: a shared mapping, as the toolkit's shared segments are.
class SharedStore {
public:
    SharedStore() {
        memory_ = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (memory_ != MAP_FAILED)
            image_ = QImage(static_cast<uchar*>(memory_), width, height, QImage::Format_ARGB32_Premultiplied);
    }
    ~SharedStore() {
        if (memory_ != MAP_FAILED) munmap(memory_, bytes);
    }
    const QImage& image() const { return image_; }

private:
    static constexpr int width = 64;
    static constexpr int height = 16;
    static constexpr std::size_t bytes = std::size_t{width} * height * 4;
    void* memory_ = MAP_FAILED;
    QImage image_;
};

class StoreFenceTest : public ::testing::Test {
protected:
    FakeServer server;
    StoreFence fence{std::make_unique<FakeLink>(server)};
    SharedStore store;
};

TEST_F(StoreFenceTest, OpensOnlyOnceTheServerAnswersTheQuestionAskedAfterThePixels) {
    ASSERT_FALSE(store.image().isNull());
    EXPECT_FALSE(fence.server_caught_up(&store.image())) << "nothing is known before anything was sent";

    fence.pixels_sent();
    ASSERT_EQ(server.asked, std::vector<unsigned>{100});
    EXPECT_FALSE(fence.server_caught_up(&store.image()));

    server.answered.insert(100);
    EXPECT_TRUE(fence.server_caught_up(&store.image()));
    EXPECT_TRUE(fence.server_caught_up(&store.image())) << "an answer taken stays taken";

    fence.pixels_sent();
    EXPECT_FALSE(fence.server_caught_up(&store.image())) << "new pixels need a new answer";
    EXPECT_TRUE(server.forgotten.empty()) << "the answered question is not forgotten twice";
}

TEST_F(StoreFenceTest, NewPixelsBeforeTheAnswerForgetTheEarlierQuestion) {
    fence.pixels_sent();
    fence.pixels_sent();
    EXPECT_EQ(server.forgotten, std::vector<unsigned>{100});
    server.answered.insert(100);
    EXPECT_FALSE(fence.server_caught_up(&store.image())) << "the answer to an older question says nothing";
    server.answered.insert(101);
    EXPECT_TRUE(fence.server_caught_up(&store.image()));
}

TEST_F(StoreFenceTest, AnyEventForAWindowClosesItUntilThePixelsAreSentAgain) {
    QWindow window;
    QObject not_a_window;
    fence.pixels_sent();
    server.answered.insert(100);

    QEvent timer(QEvent::Timer);
    QCoreApplication::sendEvent(&not_a_window, &timer);
    EXPECT_TRUE(fence.server_caught_up(&store.image())) << "events for other objects paint nothing";

    QEvent update(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window, &update);
    EXPECT_FALSE(fence.server_caught_up(&store.image())) << "the toolkit may have sent the store itself";

    fence.pixels_sent();
    QCoreApplication::sendEvent(&window, &update);
    EXPECT_EQ(server.forgotten, std::vector<unsigned>{101}) << "the question left unanswered is let go";
    server.answered.insert(101);
    EXPECT_FALSE(fence.server_caught_up(&store.image()));
}

TEST_F(StoreFenceTest, StaysClosedForAStoreKeptInTheToolkitsOwnMemory) {
    // Such a store reaches the server as pixels copied at the toolkit's paint; written behind its
    // back, nothing would be sent.
    const QImage private_store(64, 16, QImage::Format_ARGB32_Premultiplied);
    fence.pixels_sent();
    server.answered.insert(100);
    EXPECT_FALSE(fence.server_caught_up(&private_store));
    EXPECT_FALSE(fence.server_caught_up(nullptr));
    EXPECT_TRUE(fence.server_caught_up(&store.image()));
}

TEST(XrgbVisual, OnlyTrueColourInTheImagesByteOrder) {
    constexpr int true_colour = 4;  // the class numbers of the X11 protocol
    constexpr int direct_colour = 5;
    EXPECT_TRUE(is_xrgb_visual(true_colour, 0xFF0000, 0x00FF00, 0x0000FF));
    EXPECT_FALSE(is_xrgb_visual(true_colour, 0x0000FF, 0x00FF00, 0xFF0000)) << "red and blue swapped";
    EXPECT_FALSE(is_xrgb_visual(true_colour, 0xFF0000, 0x00FF00, 0x00FF00));
    EXPECT_FALSE(is_xrgb_visual(true_colour, 0xFF0000, 0xFF0000, 0x0000FF));
    EXPECT_FALSE(is_xrgb_visual(true_colour, 0xF800, 0x07E0, 0x001F)) << "16 bits a pixel";
    EXPECT_FALSE(is_xrgb_visual(direct_colour, 0xFF0000, 0x00FF00, 0x0000FF));
}

TEST(SharedMapping, TellsSharedMemoryFromPrivateMemory) {
    const std::size_t bytes = 1 << 20;
    // Twice the size, the upper half given back: nothing is mapped right after the shared memory.
    void* shared = mmap(nullptr, 2 * bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    munmap(static_cast<char*>(shared) + bytes, bytes);
    void* private_memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(private_memory, MAP_FAILED);
    const std::vector<int> heap(1000);

    EXPECT_TRUE(in_shared_mapping(shared));
    EXPECT_TRUE(in_shared_mapping(static_cast<char*>(shared) + bytes - 1)) << "the mapping's last byte";
    EXPECT_FALSE(in_shared_mapping(static_cast<char*>(shared) + bytes)) << "the first byte past it";
    EXPECT_FALSE(in_shared_mapping(private_memory));
    EXPECT_FALSE(in_shared_mapping(heap.data()));
    munmap(private_memory, bytes);
    munmap(shared, bytes);
}

}  // namespace

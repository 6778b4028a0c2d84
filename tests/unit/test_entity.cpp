#include <gtest/gtest.h>

#include "engine/vaskel_collision.h"
#include "engine/vaskel_texture.h"
#include "game/entity.h"

#include <pthread.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names destroyed;
std::string drawn;

// Records its own destruction and draws without GL.
struct Node : gEntity {
    explicit Node(std::string n, gEntity* p = nullptr) : gEntity(0, 0, 0, p), name(std::move(n)) {}
    ~Node() override { destroyed.push_back(name); }
    void Draw() override { drawn += name + " "; }
    std::string name;
};

std::string nameOf(gEntity* e) { return static_cast<Node*>(e)->name; }

// p's children in ring order from firstChild (stops at 1000 on a broken ring).
std::vector<gEntity*> children(gEntity* p) {
    std::vector<gEntity*> out;
    for (gEntity* c = p->firstChild; c && out.size() < 1000; c = c->next) {
        out.push_back(c);
        if (c->next == p->firstChild) break;
    }
    return out;
}

// "E1,E2,E3"
std::string ring(gEntity* p) {
    std::string out;
    for (gEntity* c : children(p)) out += (out.empty() ? "" : ",") + nameOf(c);
    return out;
}

// Ring links, parent/ring agreement and parentless-means-alone.
::testing::AssertionResult treeOk(const std::vector<gEntity*>& all) {
    for (gEntity* e : all) {
        auto fail = [&](const char* what) { return ::testing::AssertionFailure() << nameOf(e) << ": " << what; };
        if (e->next->prev != e || e->prev->next != e) return fail("links broken");
        if (!e->parent && (e->next != e || e->prev != e)) return fail("no parent but has siblings");
        std::vector<gEntity*> sib = e->parent ? children(e->parent) : std::vector<gEntity*>{e};
        if (std::find(sib.begin(), sib.end(), e) == sib.end()) return fail("not in its parent's ring");
        for (gEntity* c : children(e))
            if (c->parent != e) return fail("has a child of another parent in its ring");
        if (children(e).size() >= 1000) return fail("child ring does not close");
    }
    return ::testing::AssertionSuccess();
}

class EntityTree : public ::testing::Test {
protected:
    void SetUp() override {
        destroyed.clear();
        drawn.clear();
    }
    void TearDown() override {
        std::vector<gEntity*> roots;
        for (gEntity* e : all)
            if (!e->parent) roots.push_back(e);
        for (gEntity* r : roots) delete r;  // each takes its subtree
    }
    // Every child ring, in the order of `all`: "P:E1,E2 E1:G".
    std::string tree() {
        std::string out;
        for (gEntity* e : all)
            if (e->firstChild) out += (out.empty() ? "" : " ") + nameOf(e) + ":" + ring(e);
        return out;
    }
    Node *P = new Node("P"), *E1 = new Node("E1"), *E2 = new Node("E2"), *E3 = new Node("E3");
    Node *G = new Node("G"), *Q = new Node("Q");
    std::vector<gEntity*> all{P, E1, E2, E3, G, Q};
};

}  // namespace

TEST(EntityConstruct, CopyIsALoneEntityWithTheSourcesPlaceAndLook) {
    VK_TEXTURE tex;
    gEntity root;
    gEntity* src = new gEntity(2, 0, 0, &root, &tex);
    new gEntity(0, 0, 0, src);
    src->blended = true;
    gEntity copy(src);
    EXPECT_TRUE(copy.IsRoot() && !copy.HasChild());
    EXPECT_EQ(copy.x, 2);
    EXPECT_TRUE(copy.blended);
    EXPECT_EQ(copy.texSide, &tex);
    EXPECT_TRUE(src->parent == &root && src->HasChild());  // the source is untouched
}

TEST_F(EntityTree, AttachAndDetachKeepEveryRingWhole) {
    const char* const kept = "P:E2 E1:G G:E3 Q:E1";
    const struct {
        const char* what;
        std::function<void()> op;
        const char* tree;
        const char* head;  // P->FindHead()
    } steps[] = {
        {"E1 to P", [&] { E1->AttachTo(P); }, "P:E1", "E1"},
        {"E2 to P", [&] { E2->AttachTo(P); }, "P:E1,E2", "E1"},
        {"P attaches E3", [&] { P->Attach(E3); }, "P:E1,E2,E3", "E1"},
        {"G to E1", [&] { G->AttachTo(E1); }, "P:E1,E2,E3 E1:G", "G"},
        {"middle detached: the ring rotates", [&] { E2->Detach(); }, "P:E3,E1 E1:G", "E3"},
        {"E2 back", [&] { E2->AttachTo(P); }, "P:E3,E1,E2 E1:G", "E3"},
        {"to the same parent: moves to the end", [&] { E3->AttachTo(P); }, "P:E1,E2,E3 E1:G", "G"},
        {"last into a sibling's subtree", [&] { E3->AttachTo(G); }, "P:E1,E2 E1:G G:E3", "E3"},
        {"first detached", [&] { E1->Detach(); }, "P:E2 E1:G G:E3", "E2"},
        {"only child re-attached", [&] { E2->AttachTo(P); }, "P:E2 E1:G G:E3", "E2"},
        {"subtree moved", [&] { E1->AttachTo(Q); }, kept, "E2"},
        // Mended: these would corrupt or lose the tree; now they change nothing.
        {"detach without parent", [&] { P->Detach(); }, kept, "E2"},
        {"attach to null", [&] { E1->AttachTo(nullptr); }, kept, "E2"},
        {"attach to self", [&] { E1->AttachTo(E1); }, kept, "E2"},
        {"attach to own child", [&] { E1->AttachTo(G); }, kept, "E2"},
        {"attach to own descendant", [&] { Q->AttachTo(E3); }, kept, "E2"},
        {"only child detached twice", [&] { E2->Detach(); E2->Detach(); }, "E1:G G:E3 Q:E1", "P"},
    };
    for (const auto& s : steps) {
        s.op();
        ASSERT_TRUE(treeOk(all)) << s.what;
        EXPECT_EQ(tree(), s.tree) << s.what;
        EXPECT_EQ(nameOf(P->FindHead()), s.head) << s.what;
    }
}

TEST_F(EntityTree, DestroyingRunsEachBodyBeforeItsSubtreeInRingOrder) {
    for (Node* c : {E1, E2, E3}) c->AttachTo(P);
    G->AttachTo(E1);
    new Node("K", G);
    new Node("G2", E1);
    new Node("H2", new Node("H", E3));
    new Node("F", E2);
    delete E2;  // detaches itself first, so the ring rotates
    EXPECT_EQ(destroyed, (Names{"E2", "F"}));
    EXPECT_EQ(ring(P), "E3,E1");
    destroyed.clear();
    delete P;
    // Each entity's own destructor body runs before its children go, and
    // each child goes whole, with its subtree, before the next.
    EXPECT_EQ(destroyed, (Names{"P", "E3", "H", "H2", "E1", "G", "K", "G2"}));
    all = {Q};
}

// A chain 30000 deep on a 256 KiB stack: walking it by recursion would overflow.
TEST(EntityDeep, LongChainsNeedNoDeepStack) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 256 * 1024);
    auto run = [](void*) -> void* {
        gEntity* bottom = new gEntity();
        gEntity* top = bottom;
        for (int i = 0; i < 30000; i++) {
            gEntity* up = new gEntity(0, 0, float(i));
            top->AttachTo(up);
            top = up;
        }
        EXPECT_EQ(top->FindHead(), bottom);
        EXPECT_EQ(bottom->CheckNear(0, 0, 29999, 0.5f), 1.0f);
        delete top;
        return nullptr;
    };
    pthread_t t;
    ASSERT_EQ(pthread_create(&t, &attr, run, nullptr), 0);
    pthread_join(t, nullptr);
    pthread_attr_destroy(&attr);
}

TEST_F(EntityTree, CheckNearIsOneSidedAndTestsTheRoot) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float x, y, z, r;
        bool near;
    } cases[] = {
        {0.2f, -0.3f, 0.4f, 0.5f, true}, {-0.5f, -0.5f, -0.5f, 0.5f, true}, {100, 100, 100, 0.5f, true},
        {-0.6f, 0, 0, 0.5f, false},      {0, -0.6f, 0, 0.5f, false},        {0, 0, -0.6f, 0.5f, false},
        {nan, 0, 0, 0.5f, false},        {0, nan, 0, 0.5f, false},          {0, 0, nan, 0.5f, false},
        {0, 0, 0, nan, false},
    };
    for (const auto& c : cases) {
        P->isNear = !c.near;
        EXPECT_EQ(P->CheckNear(c.x, c.y, c.z, c.r), c.near ? 1.0f : 0.0f) << c.x << ", " << c.y << ", " << c.z;
        EXPECT_EQ(P->isNear, c.near);
    }
    // From a grandchild: the root's position decides and only its isNear moves.
    P->x = 10;
    E1->AttachTo(P);
    E2->AttachTo(E1);
    E1->isNear = E2->isNear = true;
    EXPECT_EQ(E2->CheckNear(9.6f, 0, 0, 0.5f), 1.0f);
    EXPECT_TRUE(P->isNear);
    EXPECT_EQ(E2->CheckNear(9.4f, 0, 0, 0.5f), 0.0f);
    EXPECT_FALSE(P->isNear);
    EXPECT_TRUE(E1->isNear && E2->isNear);
}

TEST_F(EntityTree, UpdateTracesAndDrawsSelfFirstChildAndNextSibling) {
    for (Node* c : {E1, E2, E3}) c->AttachTo(P);
    G->AttachTo(E1);
    const std::string head = "Entering 'gEntity::Update()'\nPerforming: 'if(!IsRoot())Draw();\n"
                             "Performing: 'if(HasChild())\n";
    const struct {
        gEntity* e;
        std::string tail, drawn;
    } cases[] = {
        {P, "Drawing Child\nChecking for sibling\n", "E1 "},  // a root: no deeper than its first child
        {E1, "Drawing Child\nChecking for sibling\nDrawing sibling (next->Draw())\n", "E1 G E2 "},
        {E3, "Checking for sibling\n", "E3 "},  // the last child's next is not drawn
        {Q, "Checking for sibling\n", ""},
    };
    for (const auto& c : cases) {
        drawn.clear();
        ::testing::internal::CaptureStderr();
        c.e->Update(nullptr);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), head + c.tail) << nameOf(c.e);
        EXPECT_EQ(drawn, c.drawn) << nameOf(c.e);
    }
}

namespace {

// Records where it was when drawn.
struct Probe : VK_PRIMITIVE {
    void Draw() override { at.push_back({x, y, z}); }
    std::vector<std::vector<float>> at;
};

}  // namespace

TEST(ModelEntity, DrawsTheSharedModelAtItsOwnPlaceAndNothingWithoutOne) {
    mcEntity none(3, -2, -7);
    none.Draw();  // must not touch a model

    Probe model;
    auto* a = new mcEntity(0, -2, 0);
    mcEntity b(63, -2, -63);
    a->AttachModel(&model);
    b.AttachModel(&model);
    a->Draw();
    b.Draw();
    delete a;  // leaves the model alone (ASan would flag freeing it)
    EXPECT_EQ(model.at, (std::vector<std::vector<float>>{{0, -2, 0}, {63, -2, -63}}));
    EXPECT_EQ(std::vector<float>({model.x, model.y, model.z}), std::vector<float>({63, -2, -63}));
    EXPECT_EQ(model.bounds->x1, 0);  // the box is not moved
}

#include <gtest/gtest.h>

#include "../fake/fake.h"
#include "engine/vaskel_collision.h"
#include "engine/vaskel_texture.h"
#include "game/entity.h"

#include <algorithm>
#include <limits>
#include <pthread.h>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names& destroyed() {
    static Names log;
    return log;
}
Names& drawn() {
    static Names log;
    return log;
}

// Records its own destruction and draws without GL.
struct Node : gEntity {
    explicit Node(std::string n) : name(std::move(n)) {}
    Node(std::string n, gEntity* p) : gEntity(0, 0, 0, p), name(std::move(n)) {}
    ~Node() override { destroyed().push_back(name); }
    void Draw() override { drawn().push_back(name); }
    std::string name;
};

std::string nameOf(gEntity* e) { return static_cast<Node*>(e)->name; }

// Names of p's children in ring order from firstChild.
Names ring(gEntity* p) {
    Names out;
    gEntity* c = p->firstChild;
    if (!c) return out;
    do {
        out.push_back(nameOf(c));
        c = c->next;
    } while (c != p->firstChild && out.size() < 1000);
    return out;
}

bool inRing(gEntity* p, gEntity* e) {
    gEntity* c = p->firstChild;
    if (!c) return false;
    for (int i = 0; i < 1000; i++, c = c->next) {
        if (c == e) return true;
        if (c->next == p->firstChild) break;
    }
    return false;
}

// Ring links, parent/ring agreement and parentless-means-alone, for every
// entity in the list.
::testing::AssertionResult treeOk(const std::vector<gEntity*>& all) {
    for (gEntity* e : all) {
        std::string n = nameOf(e);
        if (e->next->prev != e || e->prev->next != e)
            return ::testing::AssertionFailure() << n << ": ring links broken";
        if (!e->parent && (e->next != e || e->prev != e))
            return ::testing::AssertionFailure() << n << ": no parent but has siblings";
        if (e->parent && !inRing(e->parent, e))
            return ::testing::AssertionFailure() << n << ": not in its parent's ring";
        if (e->firstChild) {
            gEntity* c = e->firstChild;
            int k = 0;
            do {
                if (c->parent != e)
                    return ::testing::AssertionFailure() << nameOf(c) << ": in " << n << "'s ring, wrong parent";
                c = c->next;
                if (++k > 1000) return ::testing::AssertionFailure() << n << ": child ring does not close";
            } while (c != e->firstChild);
        }
    }
    return ::testing::AssertionSuccess();
}

class EntityTree : public ::testing::Test {
protected:
    void SetUp() override {
        destroyed().clear();
        drawn().clear();
        fake::reset();
    }
    // Owned by the test; deleting the root deletes what hangs under it.
    Node* P = new Node("P");
    Node* E1 = new Node("E1");
    Node* E2 = new Node("E2");
    Node* E3 = new Node("E3");
    std::vector<gEntity*> all() { return {P, E1, E2, E3}; }
    void attachThree() {
        E1->AttachTo(P);
        ASSERT_TRUE(treeOk(all()));
        E2->AttachTo(P);
        ASSERT_TRUE(treeOk(all()));
        P->Attach(E3);
        ASSERT_TRUE(treeOk(all()));
    }
    void TearDown() override {
        for (gEntity* e : {E1, E2, E3})
            if (!e->parent) delete e;
        delete P;
    }
};

void expectLoneRoot(gEntity& e) {
    EXPECT_TRUE(e.IsRoot());
    EXPECT_FALSE(e.HasSibling());
    EXPECT_FALSE(e.HasChild());
    EXPECT_FALSE(e.HasParent());
    EXPECT_FALSE(e.IsFirst());
    EXPECT_FALSE(e.IsLast());
    EXPECT_EQ(e.FindHead(), &e);
    EXPECT_EQ(e.next, &e);
    EXPECT_EQ(e.prev, &e);
}

}  // namespace

TEST(EntityConstruct, EveryParentlessConstructorMakesALoneRoot) {
    VK_TEXTURE tex;
    gEntity a;
    gEntity b(1, 2, 3);
    gEntity c(1, 2, 3, &tex);
    gEntity d(4, 5, 6, static_cast<gEntity*>(nullptr));
    for (gEntity* e : {&a, &b, &c, &d}) expectLoneRoot(*e);

    EXPECT_TRUE(a.reservedFlagA && a.reservedFlagB && b.reservedFlagA && b.reservedFlagB);
    EXPECT_EQ(b.x, 1);
    EXPECT_EQ(b.z, 3);
    EXPECT_EQ(b.texSide, nullptr);
    EXPECT_EQ(c.texBottom, &tex);
    EXPECT_EQ(c.texTop, &tex);
    EXPECT_EQ(c.texSide, &tex);
    EXPECT_EQ(c.texture, nullptr);  // only the face textures are set
    EXPECT_EQ(c.bounds->x1, 0);     // the cube's box stays at the origin
}

TEST(EntityConstruct, ParentConstructorsAttachAsLastChild) {
    VK_TEXTURE tex;
    gEntity* root = new gEntity();
    gEntity* a = new gEntity(1, 0, 0, root);
    gEntity* b = new gEntity(2, 0, 0, root, &tex);
    EXPECT_EQ(root->firstChild, a);
    EXPECT_EQ(a->next, b);
    EXPECT_TRUE(b->IsLast());
    EXPECT_EQ(b->parent, root);
    EXPECT_EQ(b->texSide, &tex);
    EXPECT_TRUE(a->reservedFlagA && a->reservedFlagB);
    delete root;  // frees a and b (ASan checks)
}

TEST(EntityConstruct, CopyFromSourceGivesALoneEntity) {
    VK_TEXTURE t1, t2, t3;
    gEntity parent;
    gEntity* src = new gEntity(3, -4, 5, &parent);
    new gEntity(0, 0, 0, src);
    src->texBottom = &t1;
    src->texTop = &t2;
    src->texSide = &t3;
    src->flagA = false;
    src->blended = true;

    gEntity copy(src);
    expectLoneRoot(copy);
    EXPECT_EQ(copy.x, 3);
    EXPECT_EQ(copy.y, -4);
    EXPECT_EQ(copy.z, 5);
    EXPECT_FALSE(copy.flagA);
    EXPECT_TRUE(copy.flagB);
    EXPECT_TRUE(copy.blended);
    EXPECT_EQ(copy.texBottom, &t1);
    EXPECT_EQ(copy.texTop, &t2);
    EXPECT_EQ(copy.texSide, &t3);
    EXPECT_TRUE(src->HasChild());  // the source is untouched
    EXPECT_EQ(src->parent, &parent);
}

TEST_F(EntityTree, AttachAppendsInOrder) {
    attachThree();
    EXPECT_EQ(P->firstChild, E1);
    EXPECT_EQ(ring(P), (Names{"E1", "E2", "E3"}));
    EXPECT_EQ(E1->prev, E3);
    EXPECT_TRUE(E1->IsFirst());
    EXPECT_FALSE(E1->IsLast());
    EXPECT_TRUE(E3->IsLast());
    EXPECT_FALSE(E2->IsFirst() || E2->IsLast());
    for (gEntity* e : {E1, E2, E3}) {
        EXPECT_FALSE(e->IsRoot());
        EXPECT_TRUE(e->HasSibling());
    }
    EXPECT_TRUE(P->IsRoot());
}

TEST_F(EntityTree, DetachingAMiddleChildRotatesTheRing) {
    attachThree();
    E2->Detach();
    ASSERT_TRUE(treeOk(all()));
    EXPECT_EQ(ring(P), (Names{"E3", "E1"}));
    EXPECT_TRUE(E3->IsFirst());
    EXPECT_TRUE(E1->IsLast());
    EXPECT_TRUE(E2->IsRoot());
}

TEST_F(EntityTree, DetachingFirstOrLastKeepsTheOrder) {
    attachThree();
    E1->Detach();
    ASSERT_TRUE(treeOk(all()));
    EXPECT_EQ(ring(P), (Names{"E2", "E3"}));

    E1->AttachTo(P);  // E2, E3, E1
    E1->Detach();     // the last child's successor is the first
    ASSERT_TRUE(treeOk(all()));
    EXPECT_EQ(ring(P), (Names{"E2", "E3"}));

    E3->Detach();
    E2->Detach();  // the only child
    ASSERT_TRUE(treeOk(all()));
    EXPECT_FALSE(P->HasChild());
    EXPECT_FALSE(E2->HasParent());
}

TEST_F(EntityTree, ReattachingToTheSameParentMovesToTheEnd) {
    attachThree();
    E2->AttachTo(P);
    ASSERT_TRUE(treeOk(all()));
    EXPECT_EQ(ring(P), (Names{"E3", "E1", "E2"}));

    E3->Detach();
    E3->AttachTo(P);  // E1, E2, E3
    E1->AttachTo(P);
    ASSERT_TRUE(treeOk(all()));
    EXPECT_EQ(ring(P), (Names{"E2", "E3", "E1"}));

    E2->Detach();
    E3->Detach();
    E1->AttachTo(P);  // an only child re-attached stays the only child
    ASSERT_TRUE(treeOk(all()));
    EXPECT_EQ(ring(P), (Names{"E1"}));
}

TEST_F(EntityTree, AttachToAnotherParentTakesTheSubtree) {
    attachThree();
    Node* G = new Node("G", E2);
    Node* Q = new Node("Q");
    E2->AttachTo(Q);
    std::vector<gEntity*> every{P, E1, E2, E3, G, Q};
    ASSERT_TRUE(treeOk(every));
    EXPECT_EQ(ring(P), (Names{"E3", "E1"}));
    EXPECT_EQ(ring(Q), (Names{"E2"}));
    EXPECT_EQ(ring(E2), (Names{"G"}));
    EXPECT_EQ(G->parent, E2);
    delete Q;
    EXPECT_EQ(destroyed(), (Names{"Q", "G", "E2"}));
    E2 = new Node("E2");  // TearDown deletes the lone replacement
    ASSERT_TRUE(treeOk(all()));
}

// Mended: these would corrupt or lose the tree; now they change nothing.
TEST_F(EntityTree, InvalidDetachAndAttachLeaveTheTreeIntact) {
    attachThree();
    Node* G = new Node("G", E1);
    std::vector<gEntity*> every{P, E1, E2, E3, G};

    P->Detach();  // no parent
    E1->AttachTo(nullptr);
    E1->AttachTo(E1);
    E1->AttachTo(G);  // own child
    P->AttachTo(G);   // own grandchild
    ASSERT_TRUE(treeOk(every));
    EXPECT_TRUE(P->IsRoot());
    EXPECT_EQ(ring(P), (Names{"E1", "E2", "E3"}));
    EXPECT_EQ(ring(E1), (Names{"G"}));

    E2->Detach();
    E2->Detach();  // already detached
    EXPECT_TRUE(E2->IsRoot());
    EXPECT_EQ(ring(P), (Names{"E3", "E1"}));
    ASSERT_TRUE(treeOk(every));

    // A sibling's subtree is a fine target.
    E2->AttachTo(G);
    ASSERT_TRUE(treeOk(every));
    EXPECT_EQ(E2->parent, G);
}

TEST_F(EntityTree, DestroyingFinishesEachChildsSubtreeInRingOrder) {
    attachThree();
    new Node("G", E1);
    new Node("H", E3);
    new Node("H2", E3->firstChild);
    delete P;
    // P's own destructor body runs first; below it, each entity is destroyed
    // whole (subtree first) before the next.
    EXPECT_EQ(destroyed(), (Names{"P", "G", "E1", "E2", "H2", "H", "E3"}));
    P = new Node("P");
    E1 = new Node("E1");
    E2 = new Node("E2");
    E3 = new Node("E3");
}

TEST_F(EntityTree, DestroyingAChildDetachesIt) {
    attachThree();
    new Node("G", E2);
    delete E2;
    EXPECT_EQ(destroyed(), (Names{"E2", "G"}));
    EXPECT_EQ(ring(P), (Names{"E3", "E1"}));
    E2 = new Node("E2");
    ASSERT_TRUE(treeOk(all()));
}

namespace {

// Runs fn on a thread with a small stack, so walking a long chain by
// recursion overflows it while a loop does not.
void onSmallStack(void (*fn)()) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 256 * 1024);
    pthread_t t;
    auto trampoline = [](void* f) -> void* {
        reinterpret_cast<void (*)()>(f)();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&t, &attr, trampoline, reinterpret_cast<void*>(fn)), 0);
    pthread_join(t, nullptr);
    pthread_attr_destroy(&attr);
}

}  // namespace

TEST(EntityDeep, LongChainsNeedNoDeepStack) {
    onSmallStack([] {
        const int depth = 30000;
        gEntity* top = new gEntity();
        gEntity* bottom = top;
        for (int i = 0; i < depth; i++) {
            gEntity* up = new gEntity(0, 0, float(i));
            top->AttachTo(up);
            top = up;
        }
        EXPECT_EQ(top->FindHead(), bottom);
        EXPECT_EQ(bottom->CheckNear(0, 0, float(depth - 1), 0.5f), 1.0f);
        EXPECT_TRUE(top->isNear);
        EXPECT_EQ(bottom->CheckNear(0, 0, float(depth - 2), 0.5f), 0.0f);
        delete top;
    });
}

TEST_F(EntityTree, FindHeadFollowsFirstChildrenOnly) {
    Node* C2 = new Node("C2");
    E1->AttachTo(P);
    C2->AttachTo(E1);
    EXPECT_EQ(P->FindHead(), C2);
    EXPECT_EQ(E1->FindHead(), C2);

    E2->AttachTo(P);
    E3->AttachTo(E2);
    C2->Detach();
    delete C2;
    EXPECT_EQ(P->FindHead(), E1);
}

TEST_F(EntityTree, CheckNearIsOneSidedAndTestsTheRoot) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(P->CheckNear(0.2f, -0.3f, 0.4f, 0.5f), 1.0f);
    EXPECT_TRUE(P->isNear);
    EXPECT_EQ(P->CheckNear(-0.6f, 0, 0, 0.5f), 0.0f);
    EXPECT_FALSE(P->isNear);
    EXPECT_EQ(P->CheckNear(0, 0, -0.6f, 0.5f), 0.0f);
    EXPECT_EQ(P->CheckNear(100, 100, 100, 0.5f), 1.0f);
    EXPECT_EQ(P->CheckNear(-0.5f, -0.5f, -0.5f, 0.5f), 1.0f);  // inclusive
    EXPECT_EQ(P->CheckNear(nan, 0, 0, 0.5f), 0.0f);
    EXPECT_EQ(P->CheckNear(0, nan, 0, 0.5f), 0.0f);
    EXPECT_EQ(P->CheckNear(0, 0, nan, 0.5f), 0.0f);
    EXPECT_EQ(P->CheckNear(0, 0, 0, nan), 0.0f);
    EXPECT_FALSE(P->isNear);

    // From a grandchild: the root's position decides and only its isNear moves.
    P->x = 10;
    E1->AttachTo(P);
    E2->AttachTo(E1);
    E2->isNear = true;
    E1->isNear = true;
    EXPECT_EQ(E2->CheckNear(9.6f, 0, 0, 0.5f), 1.0f);
    EXPECT_TRUE(P->isNear);
    EXPECT_EQ(E2->CheckNear(9.4f, 0, 0, 0.5f), 0.0f);
    EXPECT_FALSE(P->isNear);
    EXPECT_TRUE(E2->isNear);
    EXPECT_TRUE(E1->isNear);
}

namespace {

Names stderrLines(const std::string& s) {
    Names out;
    size_t start = 0;
    for (size_t nl; (nl = s.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(s.substr(start, nl - start));
    EXPECT_EQ(start, s.size()) << "unterminated line";
    return out;
}

Names update(gEntity* e) {
    ::testing::internal::CaptureStderr();
    e->Update(nullptr);
    return stderrLines(::testing::internal::GetCapturedStderr());
}

}  // namespace

TEST_F(EntityTree, UpdateOnARootDrawsOnlyItsFirstChild) {
    E1->AttachTo(P);
    new Node("G", E1);
    EXPECT_EQ(update(P), (Names{"Entering 'gEntity::Update()'", "Performing: 'if(!IsRoot())Draw();",
                                "Performing: 'if(HasChild())", "Drawing Child", "Checking for sibling"}));
    EXPECT_EQ(drawn(), Names{"E1"});  // no deeper
}

TEST_F(EntityTree, UpdateDrawsSelfChildAndNextSiblingUnlessLast) {
    attachThree();
    new Node("G", E1);
    EXPECT_EQ(update(E1), (Names{"Entering 'gEntity::Update()'", "Performing: 'if(!IsRoot())Draw();",
                                 "Performing: 'if(HasChild())", "Drawing Child", "Checking for sibling",
                                 "Drawing sibling (next->Draw())"}));
    EXPECT_EQ(drawn(), (Names{"E1", "G", "E2"}));

    drawn().clear();
    EXPECT_EQ(update(E3), (Names{"Entering 'gEntity::Update()'", "Performing: 'if(!IsRoot())Draw();",
                                 "Performing: 'if(HasChild())", "Checking for sibling"}));
    EXPECT_EQ(drawn(), Names{"E3"});  // the last child's next is not drawn

    drawn().clear();
    Node lone("L");
    EXPECT_EQ(update(&lone).size(), 4u);
    EXPECT_TRUE(drawn().empty());
}

TEST(EntityUpdate, UsesTheCubesDraw) {
    VK_TEXTURE tex;
    tex.texID = 4;
    fake::reset();
    gEntity root;
    gEntity* child = new gEntity(1, 2, 3, &root, &tex);
    new gEntity(0, 0, 0, child, &tex);
    ::testing::internal::CaptureStderr();
    child->Update(nullptr);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(fake::count("glBegin"), 12u);  // the child and its first child
    EXPECT_EQ(fake::texts("glVertex3f").front(), "glVertex3f(1, 2, 4)");
}

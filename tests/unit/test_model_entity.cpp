#include <gtest/gtest.h>

#include "../fake/fake.h"
#include "engine/vaskel_collision.h"
#include "engine/vaskel_texture.h"
#include "game/entity.h"

#include <string>
#include <vector>

namespace {

// Records where it was when drawn.
struct Probe : VK_PRIMITIVE {
    void Draw() override { at.push_back({x, y, z}); }
    std::vector<std::vector<float>> at;
};

}  // namespace

TEST(ModelEntity, StartsWithoutAModelAndDrawsNothing) {
    fake::reset();
    mcEntity e(3, -2, -7);
    EXPECT_EQ(e.x, 3);
    EXPECT_EQ(e.y, -2);
    EXPECT_EQ(e.z, -7);
    EXPECT_EQ(e.model, nullptr);
    EXPECT_EQ(e.reservedA, 0u);
    EXPECT_EQ(e.reservedB, 0u);
    e.Draw();
    e.Update();
    e.Destroy();
    e.Collide();
    EXPECT_TRUE(fake::calls().empty());
    EXPECT_EQ(e.x, 3);
}

TEST(ModelEntity, DrawMovesTheSharedModelThereAndDrawsIt) {
    Probe model;
    model.x = 100;
    mcEntity a(0, -2, 0), b(63, -2, -63);
    a.AttachModel(&model);
    b.AttachModel(&model);
    a.Draw();
    b.Draw();
    EXPECT_EQ(model.at, (std::vector<std::vector<float>>{{0, -2, 0}, {63, -2, -63}}));
    EXPECT_EQ(model.x, 63);  // left where the last entity drew it
    EXPECT_EQ(model.z, -63);
    EXPECT_EQ(model.bounds->x1, 0);  // the box is not moved

    a.Update();
    a.Destroy();
    a.Collide();
    EXPECT_EQ(model.at.size(), 2u);
    EXPECT_EQ(model.x, 63);
}

TEST(ModelEntity, DrawsACubeModelThroughItsVirtualDraw) {
    VK_TEXTURE tex;
    tex.texID = 9;
    fake::reset();
    VK_CUBE cube(0, 0, 0, &tex, &tex, &tex);
    mcEntity e(5, -2, -1);
    e.AttachModel(&cube);
    e.Draw();
    EXPECT_EQ(fake::count("glBegin"), 6u);
    EXPECT_EQ(fake::texts("glVertex3f").front(), "glVertex3f(5, -2, 0)");
}

TEST(ModelEntity, AttachReplacesAndDestructionSparesTheModel) {
    Probe first, second;
    mcEntity* e = new mcEntity(1, 1, 1);
    e->AttachModel(&first);
    e->AttachModel(&second);
    e->Draw();
    EXPECT_TRUE(first.at.empty());
    EXPECT_EQ(second.at.size(), 1u);
    delete e;
    second.Draw();  // still alive (ASan would flag a freed model)
    EXPECT_EQ(second.at.size(), 2u);
}

#pragma once

class VK_BOUNDS;
class VK_TEXTURE;

// Drawable base: a position, flags and an owned collision box.
// Objects are created with new and never copied.
class VK_PRIMITIVE {
public:
    // Places the box at (x, y, z).
    VK_PRIMITIVE(float x, float y, float z, VK_TEXTURE* texture);
    // Places the box at the origin.
    VK_PRIMITIVE();
    virtual ~VK_PRIMITIVE();
    virtual void Draw();

    VK_PRIMITIVE(const VK_PRIMITIVE&) = delete;
    VK_PRIMITIVE& operator=(const VK_PRIMITIVE&) = delete;

    float x = 0, y = 0, z = 0;
    bool flagA = true;
    bool flagB = true;
    bool blended = false;
    float color[4] = {1, 1, 1, 1};
    VK_TEXTURE* texture = nullptr;  // not owned; read by nothing
    VK_BOUNDS* bounds = nullptr;    // owned; not moved when x, y, z change
};

// Textured unit cube whose least corner is (x, y, z). Textures and the
// display list are shared, never owned. Its box stays at the origin.
class VK_CUBE : public VK_PRIMITIVE {
public:
    VK_CUBE(float x, float y, float z, VK_TEXTURE* bottom, VK_TEXTURE* top, VK_TEXTURE* side);
    VK_CUBE();
    ~VK_CUBE() override;

    // Immediate mode at the cube's position under the current modelview.
    // Sets blend/depth state and leaves it, and texSide bound, behind.
    void Draw() override;
    virtual void SetList(unsigned list);
    // Records the faces at the current position into a new GL_COMPILE list
    // and returns its name; displayList is left for SetList to set.
    virtual unsigned MakeList();
    // Replays displayList translated by (x, y, z) from the eye: the camera
    // transform is bypassed, the modelview matrix is restored afterwards.
    virtual void DrawS();

    unsigned displayList = 0;
    VK_TEXTURE* texBottom = nullptr;
    VK_TEXTURE* texTop = nullptr;
    VK_TEXTURE* texSide = nullptr;
};

#pragma once

class VK_BOUNDS;
class VK_TEXTURE;

// Drawable base: a position, flags and an owned collision box.
// Objects are created with new and never copied.
class VK_PRIMITIVE {
public:
    VK_PRIMITIVE(float x, float y, float z, VK_TEXTURE* texture);
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
    VK_BOUNDS* bounds = nullptr;    // owned
};

// Textured unit cube whose least corner is (x, y, z). Textures and the
// display list are shared, never owned.
class VK_CUBE : public VK_PRIMITIVE {
public:
    VK_CUBE(float x, float y, float z, VK_TEXTURE* bottom, VK_TEXTURE* top, VK_TEXTURE* side);
    VK_CUBE();
    ~VK_CUBE() override;

    void Draw() override;                 // immediate mode, at the cube's position
    virtual void SetList(unsigned list);
    virtual unsigned MakeList();          // records a new list; does not store its name
    virtual void DrawS();                 // replays displayList in eye coordinates

    unsigned displayList = 0;
    VK_TEXTURE* texBottom = nullptr;
    VK_TEXTURE* texTop = nullptr;
    VK_TEXTURE* texSide = nullptr;
};

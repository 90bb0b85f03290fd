#pragma once

#include <array>
#include <vector>

// One of OpenGL 1.1's matrix stacks (model-view or projection), in single precision as Mesa keeps
// them: column-major 4 x 4 matrices, every operation multiplying onto the top from the right.
class MatrixStack {
public:
    using Matrix = std::array<float, 16>; // column-major, element (row, column) at column * 4 + row
    using Vec3 = std::array<float, 3>;
    using Vec4 = std::array<float, 4>;

    static constexpr int kMaxDepth = 32; // GL 1.1 promises at least 32 model-view entries

    MatrixStack();

    const Matrix& top() const { return stack_.back(); }
    // False, and nothing changes, when the stack is full or down to its last entry: GL's
    // stack overflow and underflow.
    bool push();
    bool pop();
    void loadIdentity();
    void multiply(const Matrix& matrix);
    void translate(float x, float y, float z);
    void rotate(float degrees, float x, float y, float z);
    void scale(float x, float y, float z);
    // gluPerspective, worked out in double precision as GLU does.
    void perspective(double fieldOfViewYDegrees, double aspect, double zNear, double zFar);

    static Matrix identity();
    static Vec4 transform(const Matrix& m, const Vec4& p);
    // m applied to the point (x, y, z, 1), for a matrix whose bottom row is (0, 0, 0, 1): the
    // model-view matrices that translate, rotate and scale are.
    static Vec3 transformAffine(const Matrix& m, float x, float y, float z) {
        return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
                m[2] * x + m[6] * y + m[10] * z + m[14]};
    }
    // The matrix that takes normals to eye space, row-major 3 x 3: the inverse transpose of m's
    // upper 3 x 3. It keeps the scale m has (a uniform scale of s makes normals 1/s times as
    // long), as OpenGL does without GL_NORMALIZE.
    static std::array<float, 9> normalMatrix(const Matrix& m);

private:
    std::vector<Matrix> stack_;
};

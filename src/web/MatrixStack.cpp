#include "web/MatrixStack.h"

#include <cmath>
#include <numbers>

namespace {

MatrixStack::Matrix product(const MatrixStack::Matrix& a, const MatrixStack::Matrix& b) {
    MatrixStack::Matrix out{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[column * 4 + k];
            }
            out[column * 4 + row] = sum;
        }
    }
    return out;
}

} // namespace

MatrixStack::MatrixStack() : stack_{identity()} {
    stack_.reserve(kMaxDepth);
}

MatrixStack::Matrix MatrixStack::identity() {
    return {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
            0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
}

bool MatrixStack::push() {
    if (static_cast<int>(stack_.size()) >= kMaxDepth) {
        return false;
    }
    stack_.push_back(stack_.back());
    return true;
}

bool MatrixStack::pop() {
    if (stack_.size() <= 1) {
        return false;
    }
    stack_.pop_back();
    return true;
}

void MatrixStack::loadIdentity() {
    stack_.back() = identity();
}

void MatrixStack::multiply(const Matrix& matrix) {
    stack_.back() = product(stack_.back(), matrix);
}

void MatrixStack::translate(float x, float y, float z) {
    Matrix& m = stack_.back();
    for (int row = 0; row < 4; ++row) {
        m[12 + row] += m[row] * x + m[4 + row] * y + m[8 + row] * z;
    }
}

void MatrixStack::scale(float x, float y, float z) {
    Matrix& m = stack_.back();
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

void MatrixStack::rotate(float degrees, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) {
        return; // no axis: GL leaves the matrix as it is
    }
    x /= length;
    y /= length;
    z /= length;
    const double radians = static_cast<double>(degrees) * std::numbers::pi / 180.0;
    const auto s = static_cast<float>(std::sin(radians));
    const auto c = static_cast<float>(std::cos(radians));
    const float t = 1.0f - c;
    // glRotate's matrix, column by column.
    const Matrix rotation = {t * x * x + c,
                             t * x * y + s * z,
                             t * x * z - s * y,
                             0.0f,
                             t * x * y - s * z,
                             t * y * y + c,
                             t * y * z + s * x,
                             0.0f,
                             t * x * z + s * y,
                             t * y * z - s * x,
                             t * z * z + c,
                             0.0f,
                             0.0f,
                             0.0f,
                             0.0f,
                             1.0f};
    multiply(rotation);
}

void MatrixStack::perspective(double fieldOfViewYDegrees, double aspect, double zNear,
                              double zFar) {
    const double radians = fieldOfViewYDegrees / 2.0 * std::numbers::pi / 180.0;
    const double depth = zFar - zNear;
    const double sine = std::sin(radians);
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) {
        return; // GLU ignores a projection it cannot make
    }
    const double cotangent = std::cos(radians) / sine;
    Matrix m{};
    m[0] = static_cast<float>(cotangent / aspect);
    m[5] = static_cast<float>(cotangent);
    m[10] = static_cast<float>(-(zFar + zNear) / depth);
    m[11] = -1.0f;
    m[14] = static_cast<float>(-2.0 * zNear * zFar / depth);
    multiply(m);
}

MatrixStack::Vec4 MatrixStack::transform(const Matrix& m, const Vec4& p) {
    Vec4 out{};
    for (int row = 0; row < 4; ++row) {
        out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row] * p[3];
    }
    return out;
}

std::array<float, 9> MatrixStack::normalMatrix(const Matrix& m) {
    const float a = m[0], b = m[4], c = m[8];
    const float d = m[1], e = m[5], f = m[9];
    const float g = m[2], h = m[6], i = m[10];
    const float cofactor00 = e * i - f * h, cofactor01 = f * g - d * i, cofactor02 = d * h - e * g;
    const float cofactor10 = c * h - b * i, cofactor11 = a * i - c * g, cofactor12 = b * g - a * h;
    const float cofactor20 = b * f - c * e, cofactor21 = c * d - a * f, cofactor22 = a * e - b * d;
    const float determinant = a * cofactor00 + b * cofactor01 + c * cofactor02;
    const float inverse = determinant != 0.0f ? 1.0f / determinant : 0.0f;
    // The inverse is the transposed cofactor matrix over the determinant; its transpose is the
    // cofactor matrix itself.
    return {cofactor00 * inverse, cofactor01 * inverse, cofactor02 * inverse,
            cofactor10 * inverse, cofactor11 * inverse, cofactor12 * inverse,
            cofactor20 * inverse, cofactor21 * inverse, cofactor22 * inverse};
}

#include "elements/diagrams.h"

#include "render/gl.h"
#include "runtime/scene_data.h"

DiagramLines* diagram_1_lines = nullptr;
DiagramLines* diagram_2_lines = nullptr;
DiagramLines* diagram_3_lines = nullptr;
DiagramLines* diagram_4_lines = nullptr;

static DiagramLines* diagram_lines_copy(const Vector3* figure, int count) {
    DiagramLines* lines = new DiagramLines;
    lines->count = count;
    lines->points = new Vector3[count];
    for (int i = 0; i < count; ++i)
        lines->points[i] = figure[i];
    return lines;
}

static void diagram_lines_delete(DiagramLines*& lines) {
    if (!lines)
        return;
    delete[] lines->points;
    delete lines;
    lines = nullptr;
}

void diagram_lines_init() {
    diagram_lines_free(); // a second init must not leak the first copies
    diagram_1_lines = diagram_lines_copy(figure_1, figure_1_size);
    diagram_2_lines = diagram_lines_copy(figure_4, figure_4_size);
    diagram_3_lines = diagram_lines_copy(figure_2, figure_2_size);
    diagram_4_lines = diagram_lines_copy(figure_3, figure_3_size);
}

void diagram_lines_free() {
    diagram_lines_delete(diagram_1_lines);
    diagram_lines_delete(diagram_2_lines);
    diagram_lines_delete(diagram_3_lines);
    diagram_lines_delete(diagram_4_lines);
}

DiagramReveal diagram_reveal(int count, float reveal) {
    // Negative and NaN reveals show nothing; the test keeps NaN away from the int cast.
    if (!(reveal > 0.0f) || count <= 0)
        return {0, 1.0f};
    const float e = (reveal < 1.0f ? reveal : 1.0f) * (float)count;
    int n = (int)e;
    if (n > count)
        n = count;
    return {n, e - (float)(n - 1)};
}

void draw_diagram_lines(const DiagramLines& lines, const Vector3& colour, float reveal,
                        float alpha) {
    const DiagramReveal shown = diagram_reveal(lines.count, reveal);
    const int n = shown.points;
    const float body_alpha = 0.6f * alpha;

    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(6.0f);
    glColor4f(colour.x, colour.y, colour.z, body_alpha);
    // The newest point is drawn stronger, so the growing end of the drawing glows.
    glBegin(GL_LINES);
    for (int i = 0; i < n; ++i) {
        const float a = i == n - 1 ? body_alpha * shown.tail : body_alpha;
        glColor4f(colour.x, colour.y, colour.z, a);
        glVertex3fv(&lines.points[i].x);
    }
    glEnd();

    // The depth test is still on from above.
    glDepthMask(GL_TRUE);
    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.8f * alpha);
    glBegin(GL_LINES);
    for (int i = 0; i < n; ++i)
        glVertex3fv(&lines.points[i].x);
    glEnd();
}

void draw_marker_outline(const Vector3& centre, float alpha) {
    const Vector3 c[4] = {
        sum(centre, Vector3(-0.15f, -0.15f, 0.0f)), sum(centre, Vector3(0.15f, -0.15f, 0.0f)),
        sum(centre, Vector3(0.15f, 0.15f, 0.0f)), sum(centre, Vector3(-0.15f, 0.15f, 0.0f))};

    glDepthMask(GL_FALSE);
    glLineWidth(4.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_LINE_LOOP);
    for (const Vector3& v : c)
        glVertex3fv(&v.x);
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.6f * alpha);
    glBegin(GL_LINE_LOOP);
    for (const Vector3& v : c)
        glVertex3fv(&v.x);
    glEnd();
}

void draw_marker_blue(const Vector3& centre, float alpha) {
    glColor4f(0.1f, 0.1f, 0.8f, alpha);
    draw_marker_outline(centre, alpha);
}

void draw_marker_red(const Vector3& centre, float alpha) {
    glColor4f(0.8f, 0.1f, 0.1f, alpha);
    draw_marker_outline(centre, alpha);
}

void draw_marker_purple(const Vector3& centre, float alpha) {
    glColor4f(0.5f, 0.3f, 0.65f, alpha);
    draw_marker_outline(centre, alpha);
}

void draw_marker_green(const Vector3& centre, float alpha) {
    glColor4f(0.2f, 0.6f, 0.2f, alpha);
    draw_marker_outline(centre, alpha);
}

void draw_marker_grey(const Vector3& centre, float alpha) {
    glColor4f(0.2f, 0.2f, 0.2f, alpha);
    draw_marker_outline(centre, alpha);
}

// Drawing before init or after free shows only the markers, with the same state afterwards.
static const DiagramLines diagram_no_lines;

static const DiagramLines& diagram_or_empty(const DiagramLines* lines) {
    return lines ? *lines : diagram_no_lines;
}

void draw_diagram_1(float alpha, float progress) {
    draw_diagram_lines(diagram_or_empty(diagram_1_lines), navy_colour, progress * 1.1f, alpha);
    const float m = progress * alpha;
    draw_marker_blue(Vector3(3.0f, -3.5f, 0.0f), m);
    draw_marker_blue(Vector3(1.0f, -0.5f, 0.0f), m);
    draw_marker_red(Vector3(1.0f, -1.5f, 0.0f), m);
    draw_marker_red(Vector3(-3.0f, -3.5f, 0.0f), m);
    draw_marker_purple(Vector3(0.0f, 5.0f, 0.0f), m);
    draw_marker_purple(Vector3(-1.0f, 4.0f, 0.0f), m);
    draw_marker_purple(Vector3(1.0f, 4.0f, 0.0f), m);
    draw_marker_green(Vector3(3.3f, -3.2f, 0.0f), m);
    draw_marker_green(Vector3(3.0f, -3.89f, 0.0f), m);
}

void draw_diagram_2(float alpha, float progress) {
    draw_diagram_lines(diagram_or_empty(diagram_2_lines), red_colour, progress * 1.1f, alpha);
    const float m = progress * alpha;
    draw_marker_red(Vector3(0.0f, 4.0f, 0.0f), m);
    draw_marker_blue(Vector3(-4.9f, 1.5f, 0.0f), m);
    draw_marker_blue(Vector3(-0.5f, -0.3f, 0.0f), m);
}

void draw_diagram_3(float alpha, float progress) {
    draw_diagram_lines(diagram_or_empty(diagram_3_lines), orange_colour, progress * 1.1f, alpha);
    const float m = progress * alpha;
    draw_marker_red(Vector3(-1.0f, 0.5f, 0.0f), m);
    draw_marker_blue(Vector3(3.0f, 0.5f, 0.0f), m);
    draw_marker_purple(Vector3(-1.0f, 5.5f, 0.0f), m);
    draw_marker_purple(Vector3(-2.0f, 4.5f, 0.0f), m);
    draw_marker_purple(Vector3(0.0f, 4.5f, 0.0f), m);
    draw_marker_green(Vector3(3.3f, 0.2f, 0.0f), m);
}

void draw_diagram_4(float alpha, float progress) {
    draw_diagram_lines(diagram_or_empty(diagram_4_lines), purple_colour, progress * 1.1f, alpha);
    const float m = progress * alpha;
    draw_marker_grey(Vector3(0.0f, -4.0f, 0.0f), m);
    draw_marker_blue(Vector3(0.0f, -5.0f, 0.0f), m);
    draw_marker_red(Vector3(-1.0f, 0.2f, 0.0f), m);
    draw_marker_purple(Vector3(0.0f, 4.0f, 0.0f), m);
    draw_marker_blue(Vector3(4.0f, 0.0f, 0.0f), m);
}

// ObjectList: a doubly linked list that owns its items and walks them with one cursor;
// HermiteSegment: the cubic piece between two control points of a spline path.
#pragma once

#include "math/vector3.h"

struct ListNode {
    ListNode* newer = nullptr;
    ListNode* older = nullptr;
    Vector3* item = nullptr; // owned
};

struct ObjectList {
    int count = 0;
    ListNode* oldest = nullptr;
    ListNode* cursor = nullptr;
    ListNode* newest = nullptr;

    void clear();
    ListNode* push_newest(Vector3* item);
    bool seek(int n);
    bool step_newer();
    Vector3* current() const;
    bool remove_newest();
    void remove_all();
};

struct HermiteSegment {
    Vector3 p0;
    Vector3 m0;
    Vector3 m1;
    Vector3 p1;

    void set(const Vector3& p0, const Vector3& m0, const Vector3& m1, const Vector3& p1);
    Vector3 evaluate(float t) const;
};

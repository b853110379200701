#include "math/object_list.h"

void ObjectList::clear() {
    count = 0;
    oldest = nullptr;
    cursor = nullptr;
    newest = nullptr;
}

ListNode* ObjectList::push_newest(Vector3* item) {
    ListNode* node = new ListNode;
    node->item = item;
    node->older = newest;
    if (newest)
        newest->newer = node;
    else
        oldest = node;
    newest = node;
    count += 1;
    return node;
}

bool ObjectList::seek(int n) {
    // Same cursor and answer as stepping n times from the oldest node, but a target in the
    // newer half is reached from the newest end, and the ends themselves at once.
    cursor = oldest;
    if (n <= 0 || !oldest)
        return false;
    const int last = count - 1;
    if (n >= last) {
        cursor = newest;
        return n == last; // beyond the newest node the last requested step did not happen
    }
    if (n > last / 2) {
        cursor = newest;
        for (int i = last; i > n; --i)
            cursor = cursor->older;
    } else {
        for (int i = 0; i < n; ++i)
            cursor = cursor->newer;
    }
    return true;
}

bool ObjectList::step_newer() {
    if (!cursor || !cursor->newer)
        return false;
    cursor = cursor->newer;
    return true;
}

// An empty list has no current item; callers check count first, this only keeps a stray
// call from dereferencing null.
Vector3* ObjectList::current() const {
    return cursor ? cursor->item : nullptr;
}

bool ObjectList::remove_newest() {
    if (!oldest)
        return false;
    count -= 1;
    ListNode* node = newest;
    ListNode* older_node = node->older;
    if (!older_node) {
        oldest = nullptr;
        newest = nullptr;
        cursor = nullptr;
    } else {
        if (cursor == node)
            cursor = older_node;
        older_node->newer = nullptr;
        newest = older_node;
    }
    delete node->item;
    delete node;
    return true;
}

void ObjectList::remove_all() {
    for (int i = count; i > 0; --i)
        remove_newest();
}

void HermiteSegment::set(const Vector3& p0_, const Vector3& m0_, const Vector3& m1_,
                         const Vector3& p1_) {
    p0 = p0_;
    m0 = m0_;
    m1 = m1_;
    p1 = p1_;
}

Vector3 HermiteSegment::evaluate(float t) const {
    // Each power is rounded to float once: the cube comes from t itself, not from the
    // already rounded square (a quarter of all t would otherwise be one ulp off).
    const float t2 = t * t;
    const float t3 = (float)((long double)t * t * t);
    const float h00 = 2.0f * t3 - 3.0f * t2 + 1.0f;
    const float h01 = 3.0f * t2 - 2.0f * t3;
    const float h10 = t3 - 2.0f * t2 + t;
    const float h11 = t3 - t2;
    return {h00 * p0.x + h10 * m0.x + h11 * m1.x + h01 * p1.x,
            h00 * p0.y + h10 * m0.y + h11 * m1.y + h01 * p1.y,
            h00 * p0.z + h10 * m0.z + h11 * m1.z + h01 * p1.z};
}

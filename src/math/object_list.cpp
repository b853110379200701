#include "math/object_list.h"

// Placeholder until the list lands.
void ObjectList::clear() {}
ListNode* ObjectList::push_newest(Vector3*) {
    return nullptr;
}
bool ObjectList::seek(int) {
    return false;
}
bool ObjectList::step_newer() {
    return false;
}
Vector3* ObjectList::current() const {
    return nullptr;
}
bool ObjectList::remove_newest() {
    return false;
}
void ObjectList::remove_all() {}
void HermiteSegment::set(const Vector3&, const Vector3&, const Vector3&, const Vector3&) {}
Vector3 HermiteSegment::evaluate(float) const {
    return Vector3();
}

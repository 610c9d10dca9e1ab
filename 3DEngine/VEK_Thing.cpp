#include "VEK_Thing.h"

#include <utility>

ThingList::ThingList()
{
    head_.next = &head_;
    head_.previous = &head_;
}

ThingList::~ThingList()
{
    Node* node = head_.next;
    while (node != &head_) {
        Node* next = node->next;
        delete node->thing;
        delete node;
        node = next;
    }
}

void ThingList::insert(Thing* thing)
{
    Node* node = new Node;
    node->thing = thing;
    node->previous = &head_;
    node->next = head_.next;
    head_.next->previous = node;
    head_.next = node;
    cursor_ = node;
    ++count_;
}

Thing* ThingList::find(const std::string& name) const
{
    for (const Node* node = head_.next; node != &head_; node = node->next)
        if (node->thing->name == name) return node->thing;
    return nullptr;
}

Thing* ThingList::at(std::uint32_t i) const
{
    if (i >= count_) return nullptr;
    const Node* node = head_.next;
    while (i--) node = node->next;
    return node->thing;
}

void ThingList::swapAt(std::uint32_t i, std::uint32_t j)
{
    if (i >= count_ || j >= count_ || i == j) return;
    Node* first = nullptr;
    Node* second = nullptr;
    Node* node = head_.next;
    for (std::uint32_t k = 0; node != &head_ && !(first && second); ++k, node = node->next) {
        if (k == i) first = node;
        if (k == j) second = node;
    }
    std::swap(first->thing, second->thing);
}

// Thing, the base of every scene record, and ThingList, the owning list that holds them.
#pragma once

#include <cstdint>
#include <string>

// Type codes of the records that have one; every other record is kThingOther.
enum ThingType : std::uint8_t {
    kThingOther = 0,
    kThingScene = 1,
    kThingCamera = 2,
    kThingObject = 3,
};

class Thing {
public:
    Thing() = default;
    explicit Thing(const std::string& thingName) { setName(thingName); }
    virtual ~Thing() = default;
    Thing(const Thing&) = delete;
    Thing& operator=(const Thing&) = delete;

    // Naming a record makes it live.
    void setName(const std::string& thingName)
    {
        name = thingName;
        enabled = true;
    }

    std::uint8_t type = kThingOther;
    bool enabled = false;
    std::string name;   // compared exactly and case-sensitively
};

// An owning doubly linked list of Things, newest first. Each list holds one kind of
// record, so the typed accessors below cast without checking.
class ThingList {
    struct Node {
        Node* next = nullptr;
        Node* previous = nullptr;
        Thing* thing = nullptr;
    };

public:
    ThingList();
    ~ThingList();
    ThingList(const ThingList&) = delete;
    ThingList& operator=(const ThingList&) = delete;

    // Takes ownership and puts the thing at the front.
    void insert(Thing* thing);
    // The first element from the front with exactly this name, or null.
    Thing* find(const std::string& name) const;
    // The element i steps from the front; null when i is not below count().
    Thing* at(std::uint32_t i) const;
    // Exchanges the elements at positions i and j; nothing when either is not below count().
    void swapAt(std::uint32_t i, std::uint32_t j);
    std::uint32_t count() const { return count_; }
    bool empty() const { return count_ == 0; }

    template <typename T>
    T* findAs(const std::string& name) const { return static_cast<T*>(find(name)); }
    template <typename T>
    T* atAs(std::uint32_t i) const { return static_cast<T*>(at(i)); }

    // Front-to-back iteration: for (Camera* camera : list.each<Camera>()).
    template <typename T>
    class Range {
    public:
        class iterator {
        public:
            explicit iterator(const Node* node) : node_(node) {}
            T* operator*() const { return static_cast<T*>(node_->thing); }
            iterator& operator++()
            {
                node_ = node_->next;
                return *this;
            }
            bool operator!=(const iterator& other) const { return node_ != other.node_; }

        private:
            const Node* node_;
        };
        explicit Range(const Node* head) : head_(head) {}
        iterator begin() const { return iterator(head_->next); }
        iterator end() const { return iterator(head_); }

    private:
        const Node* head_;
    };
    template <typename T = Thing>
    Range<T> each() const { return Range<T>(&head_); }

private:
    Node head_;                   // sentinel: head_.next is the first element
    std::uint32_t count_ = 0;
    Node* cursor_ = nullptr;      // the node inserted last
};

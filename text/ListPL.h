#pragma once
// A singly linked list that only grows. Callers walk it through the public cursor:
// Rewind, then take nodes while the cursor is not null.
#include <cstdint>

template <class T>
class ListPL {
public:
    struct Node {
        Node* next;
        T element;
    };

    ListPL() = default;
    ListPL(const ListPL&) = delete;
    ListPL& operator=(const ListPL&) = delete;
    virtual ~ListPL()
    {
        while (head) {
            Node* next = head->next;
            delete head;
            head = next;
        }
    }

    virtual T& Add(const T& element)
    {
        Node* node = new Node{nullptr, element};
        if (tail)
            tail->next = node;
        else
            head = node;
        tail = node;
        ++count;
        return node->element;
    }

    virtual void Rewind() { cursor = head; }

    // Takes the node under the cursor and moves the cursor on; null at the end.
    T* Next()
    {
        if (!cursor)
            return nullptr;
        Node* node = cursor;
        cursor = node->next;
        return &node->element;
    }

    std::uint32_t count = 0;
    Node* head = nullptr;
    Node* tail = nullptr;
    Node* cursor = nullptr;
};

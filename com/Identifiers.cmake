# The server's fixed identifiers, in this one place: the type library, the registry
# scripts, the resource script and the C++ object map are all generated or compiled from
# these values.
set(VERIMARK_LIBID         "5B0F3A61-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_CLSID_PROGRESS "5B0F3A62-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_CLSID_RESPONSE "5B0F3A63-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_CLSID_SESSION  "5B0F3A64-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_IID_IPROGRESS  "5B0F3A65-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_IID_IRESPONSE  "5B0F3A66-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_IID_ISESSION   "5B0F3A67-2C4E-4F7B-9C1D-7E2A0B6C4D11")
# The objects for scripts: one call runs a whole evaluation and gives a result with a
# collection of typed items.
set(VERIMARK_CLSID_EVALUATION       "5B0F3A68-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_IID_IEVALUATION        "5B0F3A69-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_IID_IEVALUATIONRESULT  "5B0F3A6A-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_IID_IEVALUATIONITEMS   "5B0F3A6B-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_IID_IEVALUATIONITEM    "5B0F3A6C-2C4E-4F7B-9C1D-7E2A0B6C4D11")
set(VERIMARK_IID_IEVALUATIONSUMMARY "5B0F3A6D-2C4E-4F7B-9C1D-7E2A0B6C4D11")
# The creatable classes (each with a ProgID and a registry script) and every dual interface
# (each registered for the automation marshaler with the type library).
set(VERIMARK_CLASSES Progress Response Session Evaluation)
set(VERIMARK_DUAL_INTERFACES IProgress IResponse ISession IEvaluation IEvaluationResult IEvaluationItems
                             IEvaluationItem IEvaluationSummary)
# The type library's own name (its helpstring), and its version.
set(VERIMARK_TYPELIB_NAME   "TVKVerimarkMod 1.0 Type Library")
set(VERIMARK_TYPELIB_VERSION "1.0")
# The resources of type REGISTRY that hold each class's registry script.
set(VERIMARK_REGISTRY_PROGRESS 102)
set(VERIMARK_REGISTRY_RESPONSE 103)
set(VERIMARK_REGISTRY_SESSION  104)
set(VERIMARK_REGISTRY_EVALUATION 105)

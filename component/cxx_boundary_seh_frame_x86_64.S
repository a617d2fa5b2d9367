# keylume_run_in_seh_frame(thunk, context): calls thunk(context) in a frame whose unwind data
# names keylume_seh_frame_handler. It returns 0 when the thunk returns; when the handler takes a
# Microsoft C++ exception, it unwinds to keylume_seh_frame_landing with the copied exception in
# rax, which is returned.
    .text
    .globl keylume_run_in_seh_frame
    .globl keylume_seh_frame_landing
    .def keylume_run_in_seh_frame; .scl 2; .type 32; .endef
    .seh_proc keylume_run_in_seh_frame
keylume_run_in_seh_frame:
    .seh_handler keylume_seh_frame_handler, @except
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    xorl %eax, %eax
keylume_seh_frame_landing:
    addq $40, %rsp
    retq
    .seh_endproc

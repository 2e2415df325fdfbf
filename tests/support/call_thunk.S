# Calls an export the way a host does and records what the callee did to the
# machine state: bytes it removed from the stack, callee-saved registers
# (loaded with markers first), the x87 control word and register-stack depth.
# One call at a time: the state lives in the statics below.

        .text
        .globl  _plokvar_call_thunk
        .def    _plokvar_call_thunk; .scl 2; .type 32; .endef
# void plokvar_call_thunk(struct thunk_frame *frame)   (cdecl)
_plokvar_call_thunk:
        pushl   %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        movl    20(%esp), %eax
        movl    %eax, thunk_frame
        movl    %esp, thunk_saved_esp
        fnstcw  52(%eax)
        fnstsw  56(%eax)
        movl    (%eax), %edx
        movl    %edx, thunk_target
        movl    16(%eax), %ecx          # words to push
        movl    20(%eax), %esi          # word 0 lies at +4 for the callee
        leal    -4(%esi,%ecx,4), %esi
1:      testl   %ecx, %ecx
        jz      2f
        pushl   (%esi)
        subl    $4, %esi
        decl    %ecx
        jmp     1b
2:      movl    %esp, thunk_args_esp
        movl    $0xB1B1B1B1, %ebx
        movl    $0x51515151, %esi
        movl    $0xD1D1D1D1, %edi
        movl    $0xBEBEBEBE, %ebp
        movl    8(%eax), %edx
        movl    12(%eax), %ecx
        movl    4(%eax), %eax
        call    *thunk_target
        movl    %esp, thunk_after_esp
        movl    %eax, thunk_result_eax
        movl    thunk_frame, %eax
        movl    %ebx, 36(%eax)
        movl    %esi, 40(%eax)
        movl    %edi, 44(%eax)
        movl    %ebp, 48(%eax)
        movl    thunk_result_eax, %ecx
        movl    %ecx, 24(%eax)
        movl    %edx, 28(%eax)
        movl    thunk_after_esp, %ecx
        subl    thunk_args_esp, %ecx
        movl    %ecx, 32(%eax)
        fnstcw  54(%eax)
        fnstsw  58(%eax)
        # Depth from the TOP field; keep ST(0) if there is exactly one value,
        # and empty the register stack whatever the callee left.
        movzwl  56(%eax), %ecx
        movzwl  58(%eax), %edx
        shrl    $11, %ecx
        shrl    $11, %edx
        subl    %edx, %ecx
        andl    $7, %ecx
        movl    %ecx, 60(%eax)
        jz      4f
        fld     %st(0)
        fstpt   64(%eax)
3:      fstp    %st(0)
        decl    %ecx
        jnz     3b
4:      movl    thunk_saved_esp, %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret

        .bss
        .align  4
thunk_frame:      .space 4
thunk_target:     .space 4
thunk_saved_esp:  .space 4
thunk_args_esp:   .space 4
thunk_after_esp:  .space 4
thunk_result_eax: .space 4

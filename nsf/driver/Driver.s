; Kelvane's NSF playback driver: plays the song block's five command streams
; on the sound chip at 50 frames a second.
;
; Time passes in units. Unit k lasts tempo[k mod 4] - 1 frames, and k counts
; from the song's start on every channel alike. At the start of a unit, each
; channel whose last command has run out reads commands until one takes time
; (a wait or a tonal note) or the stream ends.
;
; A note that the same note follows straight away falls silent for its last
; frame, and so does the noise before a hit: otherwise the two would sound as
; one.

.include "Driver.inc"

.segment "ZEROPAGE"
chanPtrLo:      .res CHANNELS   ; next stream byte, a CPU address in $8000-$FFFF
chanPtrHi:      .res CHANNELS
chanWait:       .res CHANNELS   ; units left of the command that holds the channel
chanFlags:      .res CHANNELS
chanVolume:     .res CHANNELS
chanDuty:       .res CHANNELS   ; duty bits as $4000 takes them
chanNote:       .res TRIANGLE + 1  ; the note sounding: octave * 12 + pitch class
lastHigh:       .res TRIANGLE + 1  ; timer high bits last written, $FF for none
unitFrames:     .res 4          ; frames of the units k mod 4 = 0 to 3
unitPhase:      .res 1          ; k mod 4 of the next unit
framesLeft:     .res 1          ; frames left of the current unit
liveChannels:   .res 1
readBank:       .res 1          ; the bank in the read window
readPtr:        .res 2
scratch:        .res 1          ; a note's pitch class, a preset number
percLevel:      .res 1          ; the noise hit's level, volume * 16
percDrop:       .res 1          ; taken off the level every frame
percOwner:      .res 1          ; the channel whose volume scales the hit
percFresh:      .res 1          ; not 0: the noise hit started in this frame

; The NSF header points INIT and PLAY here.
.segment "ENTRY"
        jmp Init
        jmp Play

.segment "CODE"

.proc Init
        lda #0
        sta readBank
        sta READ_BANK
        sta unitPhase
        sta framesLeft
        sta percLevel
        lda #FIRST_PERCUSSION
        sta percOwner

        ldx #3
@tempo: lda SONG_TEMPO,x
        sec
        sbc #1
        sta unitFrames,x
        dex
        bpl @tempo

        ldx #0
@chan:  txa
        asl a
        tay
        lda SONG_POINTERS,y
        sta chanPtrLo,x
        lda SONG_POINTERS+1,y
        sta chanPtrHi,x
        lda #0
        sta chanWait,x
        sta chanFlags,x
        lda #15
        sta chanVolume,x
        lda #DUTY_HALF
        sta chanDuty,x
        inx
        cpx #CHANNELS
        bne @chan

        lda #$FF
        ldx #TRIANGLE
@high:  sta lastHigh,x
        dex
        bpl @high

        lda #ENABLE_VOICES
        sta APU_ENABLE
        lda #FRAME_NO_IRQ
        sta APU_FRAME
        lda #SWEEP_OFF
        sta SQ_SWEEP
        sta SQ_SWEEP+4
        lda #DUTY_HALF | CONSTANT_VOLUME
        sta SQ_CONTROL
        sta SQ_CONTROL+4
        lda #TRI_OFF
        sta TRI_LINEAR
        lda #CONSTANT_VOLUME
        sta NOISE_CONTROL

        ; Four units of no frames would let the song's whole time pass in one
        ; frame, reading every stream through in one call: such a song takes
        ; no time, so it ends at once.
        lda unitFrames
        ora unitFrames+1
        ora unitFrames+2
        ora unitFrames+3
        bne @done
        lda #FLAG_ENDED
        ldx #CHANNELS-1
@end:   sta chanFlags,x
        dex
        bpl @end
@done:  rts
.endproc

; One frame. Units of no frames start in the same frame as the next one, so
; at most four units start per call.
.proc Play
        jsr PercussionFrame
@unit:  lda framesLeft
        bne @count
        jsr StepUnit
        bcs @done
        ldx unitPhase
        lda unitFrames,x
        sta framesLeft
        inx
        txa
        and #3
        sta unitPhase
        jmp @unit
@count: dec framesLeft
        jmp CutRepeats
@done:  rts
.endproc

; After a frame of a unit: when the next frame starts a unit, a tonal note
; that ends there and is followed by the same note stops now, so that the
; repeat starts from silence; and a hit that the noise channel plays next
; silences the noise now, so that every hit starts from silence, also in a
; louder hit's tail. A note or a hit that started in this frame keeps it: a
; sound of one frame would not sound at all.
.proc CutRepeats
        ldx #CHANNELS-1
@chan:  lda chanFlags,x
        tay
        and #<~FLAG_FRESH
        sta chanFlags,x
        lda framesLeft
        bne @next
        lda chanWait,x
        bne @next
        tya
        bmi @next               ; ended
        cpx #FIRST_PERCUSSION
        bcs @hit
        and #FLAG_SOUNDING | FLAG_FRESH
        cmp #FLAG_SOUNDING
        bne @next
        jsr PeekNote
        cmp chanNote,x
        bne @next
        jsr Silence
        jmp @next
@hit:   lda percFresh
        bne @next
        lda percLevel
        beq @next
        jsr PeekNote
        cmp #NO_NOTE
        beq @next
        cpx #DPCM
        bne @choke
        tay
        lda SampleRate,y
        bpl @next               ; a sample, on the DMC
@choke: lda #0
        sta percLevel
        jsr PercussionOut
@next:  dex
        bpl @chan
        lda #0
        sta percFresh
        rts
.endproc

; Starts a unit on every channel. Carry set when every channel has ended.
.proc StepUnit
        lda #0
        sta liveChannels
        ldx #0
@chan:  lda chanFlags,x
        bmi @next
        lda chanWait,x
        bne @count
        jsr ReadCommands
        lda chanFlags,x
        bmi @next
@count: dec chanWait,x
        inc liveChannels
@next:  inx
        cpx #CHANNELS
        bne @chan
        lda liveChannels
        bne @live
        sec
        rts
@live:  clc
        rts
.endproc

; Reads channel X's commands until one takes time or the stream ends.
.proc ReadCommands
@next:  jsr ReadByte
        bcs @end
        cmp #CMD_TIMBRE
        bcs @command
        adc #1                  ; carry is clear: a wait of n + 1 units
        sta chanWait,x
        rts
@command:
        cmp #CMD_VOLUME
        bcs @volume
        and #3
        tay
        lda DutyBits,y
        sta chanDuty,x
        jsr ApplyVolume
        jmp @next
@volume:
        cmp #CMD_NOTE
        bcs @note
        and #$0F
        sta chanVolume,x
        jsr ApplyVolume
        jmp @next
@note:  cmp #CMD_PAST_NOTES
        bcs @end
        and #$0F
        cmp #CLOSING_PITCH
        beq @closing
        cpx #FIRST_PERCUSSION
        bcs @hit
        jsr TonalNote
        bcs @end
        rts
@hit:   jsr Hit
        jmp @next
@closing:
        jsr ReadByte
        bcs @end
        jsr Silence
        jmp @next
@end:   lda #FLAG_ENDED
        sta chanFlags,x
        ; A hit on Noise or DPCM dies away by itself after the end.
        cpx #FIRST_PERCUSSION
        bcs @done
        jmp Silence
@done:  rts
.endproc

; What channel X's stream plays next: on the squares and the triangle the
; note (octave * 12 + pitch class), on Noise and DPCM the hit's preset; or
; NO_NOTE when a wait, a rest, volume 0, a silence or the end comes first.
; The stream stays where it was. Keeps X.
.proc PeekNote
        lda chanPtrLo,x
        pha
        lda chanPtrHi,x
        pha
@next:  jsr ReadByte
        bcs @none
        cmp #CMD_TIMBRE
        bcc @none               ; a wait: the note goes on
        cmp #CMD_VOLUME
        beq @none               ; volume 0: what comes is silent anyway
        cmp #CMD_NOTE
        bcc @next               ; a timbre or another volume
        cmp #CMD_PAST_NOTES
        bcs @none
        and #$0F
        cpx #FIRST_PERCUSSION
        bcs @hit
        cmp #PITCHES
        bcs @none
        sta scratch
        jsr ReadByte
        bcs @none
        and #$07
        tay
        lda scratch
        clc
        adc Times12,y
        bcc @found              ; always
@hit:   cmp #CLOSING_PITCH
        bne @found
@none:  lda #NO_NOTE
@found: tay
        pla
        sta chanPtrHi,x
        pla
        sta chanPtrLo,x
        tya
        rts
.endproc

; The next byte of channel X's stream in A, carry clear; carry set when the
; stream has run past $FFFF or points below the song block. Keeps X.
.proc ReadByte
        lda chanPtrHi,x
        bpl @outside
        lsr a
        lsr a
        lsr a
        lsr a
        and #$07
        cmp readBank
        beq @mapped
        sta readBank
        sta READ_BANK
@mapped:
        lda chanPtrHi,x
        and #$0F
        ora #>READ_WINDOW
        sta readPtr+1
        lda chanPtrLo,x
        sta readPtr
        ldy #0
        lda (readPtr),y
        inc chanPtrLo,x
        bne @read
        inc chanPtrHi,x
@read:  clc
        rts
@outside:
        sec
        rts
.endproc
